// check: compares an item's current value, in the form getk/getc/geta show it, with an
// expected text. A coding function may also be checked against the name of one of its values.
#pragma once

#include "CDorerShellItemCommand.h"

class CDorerShellCommandCheck : public CDorerShellItemCommand {
public:
    CDorerShellCommandCheck(const CQFString& name, const CQFString& expected) : mName(name), mExpected(expected) {}
    void start() override;

private:
    // The item's code of failure by its kind and its value text; false when the kind has no
    // value to check.
    bool readActual(const DorerDataNode& node, uint32_t& code, EDorerDataAccessResult& read, CQFString& actual);
    // A coding function checked against a value name: the expected text becomes that value's
    // first byte; code 7 when the function has no value of that name.
    void resolveValueName(const DorerDataNode& function, uint32_t& code);
    CQFString compare(uint32_t& code, const CQFString& actual) const;

    CQFString mName;
    CQFString mExpected;
};
