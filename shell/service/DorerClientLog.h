// The log of the settings client wrappers: "<program> : <text>" (the program from the first
// command-line argument) to the trace scope
// "sys_data_systemsettings_client_config_CzoqDorerClientConfigImpl", as a debug line
// (formatted only when the scope is enabled) or an error line.
#pragma once

namespace NDorerClientLog {
void debug(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void error(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
}  // namespace NDorerClientLog
