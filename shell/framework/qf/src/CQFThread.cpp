#include "qf/CQFThread.h"

#include <atomic>
#include <cstring>

namespace {

thread_local std::string tCurrentName = "<unnamed>";
std::atomic<IQFThreadConfigurator*> gConfigurator{nullptr};

}  // namespace

namespace QFThreading {
void setConfigurator(IQFThreadConfigurator* configurator) { gConfigurator = configurator; }
IQFThreadConfigurator* getConfigurator() { return gConfigurator; }
}  // namespace QFThreading

CQFThread::~CQFThread() { join(); }

bool CQFThread::start(std::function<void()> body) {
    if (mStarted) return false;
    if (IQFThreadConfigurator* configurator = QFThreading::getConfigurator()) {
        mIndex = configurator->getThreadIndex(mParamName);
    }
    mBody = std::move(body);
    if (pthread_create(&mHandle, nullptr, &CQFThread::run, this) != 0) return false;
    mStarted = true;
    return true;
}

bool CQFThread::join() {
    if (!mStarted) return false;
    mStarted = false;
    return pthread_join(mHandle, nullptr) == 0;
}

void* CQFThread::run(void* self) {
    auto* thread = static_cast<CQFThread*>(self);
    setCurrentName(thread->mName);
    thread->mBody();
    return nullptr;
}

const char* CQFThread::currentName() { return tCurrentName.c_str(); }

void CQFThread::setCurrentName(const CQFString& name, bool osVisible) {
    tCurrentName = name.str();
    if (!osVisible) return;
    char osName[16];
    std::strncpy(osName, name.getCString(), sizeof osName - 1);
    osName[sizeof osName - 1] = '\0';
    pthread_setname_np(pthread_self(), osName);
}
