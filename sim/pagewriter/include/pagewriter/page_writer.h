// The settings server's side of the shared settings page: it owns the page object, creates the
// access object (a process-shared read-write lock, a change counter and a time stamp, created
// under the semaphore "/sysetpage-create-lock" like every reader does), and rewrites the page
// under the write lock, then increments the change counter and refreshes the time stamp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sysetpagelayout.h"

namespace hu::pagewriter {

constexpr size_t kPageSize = kDorerPageSize;
using AccessObject = DorerShAccObj;

class PageWriter {
public:
    PageWriter(std::string pageName, std::string lockName, size_t pageSize = kPageSize);
    ~PageWriter();  // unmaps; the objects stay for the readers
    PageWriter(const PageWriter&) = delete;
    PageWriter& operator=(const PageWriter&) = delete;

    // Creates (or opens) the page object with at least the page size. A page this call creates
    // starts with content (zero beyond it): no reader can map it before.
    bool openPage(const std::vector<uint8_t>& content = {});
    // Opens the access object, or creates and initialises it (counter 0, time now).
    bool openAccessObject();
    bool open(const std::vector<uint8_t>& content = {}) { return openPage(content) && openAccessObject(); }

    // Replaces the page content (the rest of the page becomes zero) under the write lock; with
    // announce, increments the change counter and refreshes the time stamp, so readers copy it.
    // False when the content does not fit or the objects are not open.
    bool write(const std::vector<uint8_t>& content, bool announce = true);

    uint32_t changeCounter() const;
    uint32_t timeStamp() const;
    const std::string& error() const { return error_; }

    // Removes both objects' names (readers that have them mapped keep them).
    static void remove(const std::string& pageName, const std::string& lockName);

private:
    bool fail(const std::string& what);

    std::string pageName_, lockName_;
    size_t pageSize_;
    uint8_t* page_ = nullptr;
    AccessObject* access_ = nullptr;
    std::string error_;
};

}  // namespace hu::pagewriter
