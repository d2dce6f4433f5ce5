#include "pagewriter/page_writer.h"

#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace hu::pagewriter {

namespace {


template <class Call>
int retryOnEintr(Call call) {
    int result;
    do {
        result = call();
    } while (result != 0 && errno == EINTR);
    return result;
}

uint32_t now() { return static_cast<uint32_t>(time(nullptr)); }

// Holds the creation semaphore for a scope.
class CreationLock {
public:
    CreationLock() : semaphore_(sem_open(kDorerCreateLockName, O_CREAT, 0600, 1)) {
        if (semaphore_ != SEM_FAILED && retryOnEintr([&] { return sem_wait(semaphore_); }) == 0) held_ = true;
    }
    ~CreationLock() {
        if (held_) retryOnEintr([&] { return sem_post(semaphore_); });
        if (semaphore_ != SEM_FAILED) sem_close(semaphore_);
    }
    CreationLock(const CreationLock&) = delete;
    CreationLock& operator=(const CreationLock&) = delete;
    bool held() const { return held_; }

private:
    sem_t* semaphore_;
    bool held_ = false;
};

bool initialise(AccessObject* object) {
    pthread_rwlockattr_t attributes;
    pthread_rwlockattr_init(&attributes);
    pthread_rwlockattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
    int result = pthread_rwlock_init(&object->rwLock, &attributes);
    pthread_rwlockattr_destroy(&attributes);
    object->changeCounter = 0;
    object->timeStamp = now();
    return result == 0;
}

}  // namespace

PageWriter::PageWriter(std::string pageName, std::string lockName, size_t pageSize)
    : pageName_(std::move(pageName)), lockName_(std::move(lockName)), pageSize_(std::max(pageSize, kPageSize)) {}

PageWriter::~PageWriter() {
    if (page_ != nullptr) munmap(page_, pageSize_);
    if (access_ != nullptr) munmap(access_, sizeof(AccessObject));
}

bool PageWriter::fail(const std::string& what) {
    error_ = what + ": " + std::strerror(errno);
    return false;
}

bool PageWriter::openPage(const std::vector<uint8_t>& content) {
    if (page_ != nullptr) return true;
    if (content.size() > pageSize_) {
        error_ = "content of " + std::to_string(content.size()) + " bytes exceeds the page";
        return false;
    }
    bool created = true;
    int fd = shm_open(pageName_.c_str(), O_RDWR | O_CREAT | O_EXCL, 0644);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = shm_open(pageName_.c_str(), O_RDWR, 0);
    }
    if (fd < 0) return fail("shm_open " + pageName_);
    struct stat info {};
    bool sized = fstat(fd, &info) == 0 &&
                 (static_cast<size_t>(info.st_size) >= pageSize_ ||
                  retryOnEintr([&] { return ftruncate(fd, static_cast<off_t>(pageSize_)); }) == 0);
    void* address = sized ? mmap(nullptr, pageSize_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
    int saved = errno;
    close(fd);
    errno = saved;
    if (address == MAP_FAILED) return fail("map " + pageName_);
    page_ = static_cast<uint8_t*>(address);
    if (created && !content.empty()) std::memcpy(page_, content.data(), content.size());
    return true;
}

bool PageWriter::openAccessObject() {
    if (access_ != nullptr) return true;
    CreationLock lock;
    if (!lock.held()) return fail(std::string("creation semaphore ") + kDorerCreateLockName);
    bool created = false;
    int fd = shm_open(lockName_.c_str(), O_RDWR, 0);
    if (fd < 0 && errno == ENOENT) {
        fd = shm_open(lockName_.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        created = fd >= 0;
        if (created && retryOnEintr([&] { return ftruncate(fd, sizeof(AccessObject)); }) != 0) {
            close(fd);
            return fail("resize " + lockName_);
        }
    }
    if (fd < 0) return fail("shm_open " + lockName_);
    void* address = mmap(nullptr, sizeof(AccessObject), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    int saved = errno;
    close(fd);
    errno = saved;
    if (address == MAP_FAILED) return fail("map " + lockName_);
    access_ = static_cast<AccessObject*>(address);
    if (created && !initialise(access_)) return fail("initialise " + lockName_);
    return true;
}

bool PageWriter::write(const std::vector<uint8_t>& content, bool announce) {
    if (page_ == nullptr || access_ == nullptr) {
        error_ = "page or access object not open";
        return false;
    }
    if (content.size() > pageSize_) {
        error_ = "content of " + std::to_string(content.size()) + " bytes exceeds the page";
        return false;
    }
    int result = pthread_rwlock_wrlock(&access_->rwLock);
    if (result != 0) {
        error_ = std::string("write lock: ") + std::strerror(result);
        return false;
    }
    if (!content.empty()) std::memcpy(page_, content.data(), content.size());
    std::memset(page_ + content.size(), 0, pageSize_ - content.size());
    if (announce) {
        ++access_->changeCounter;
        access_->timeStamp = now();
    }
    pthread_rwlock_unlock(&access_->rwLock);
    return true;
}

uint32_t PageWriter::changeCounter() const { return access_ != nullptr ? access_->changeCounter : 0; }

uint32_t PageWriter::timeStamp() const { return access_ != nullptr ? access_->timeStamp : 0; }

void PageWriter::remove(const std::string& pageName, const std::string& lockName) {
    shm_unlink(pageName.c_str());
    shm_unlink(lockName.c_str());
}

}  // namespace hu::pagewriter
