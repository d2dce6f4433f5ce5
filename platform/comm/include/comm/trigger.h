// A one-shot wake-up between threads: wait() blocks until trigger() has been called (or
// passes at once while the count is above zero). The count starts at 1.
#pragma once

#include <semaphore.h>

namespace communication {

class Trigger {
public:
    Trigger();
    ~Trigger();
    Trigger(const Trigger&) = delete;
    Trigger& operator=(const Trigger&) = delete;

    void wait();
    void trigger();

private:
    sem_t m_semaphore;
};

}  // namespace communication
