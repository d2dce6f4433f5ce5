// The root component of cfgshell: reads the shell's options from the boot parameters and
// owns the command interpreter.
#pragma once

#include <memory>

#include "CDorerShellMain.h"
#include "qf/CQFComponent.h"
#include "qf/QFApplication.h"

class CDorerShell : public CQFComponent, public QFApplication::CQFRootServiceStub {
public:
    CDorerShell();
    ~CDorerShell() override;

    void requestBoot(const CQFBootParameter& bootParameters) override;
    void requestTerminate(int reason) override;

private:
    std::unique_ptr<CDorerShellMain> mMain;
};
