// File-system paths. canonify() makes a path absolute (relative paths are taken from the
// current directory) and removes ".", ".." and repeated slashes. A path is valid when it is
// not empty, fits PATH_MAX and no component exceeds NAME_MAX; the empty path stays empty
// (and invalid) through canonify().
#pragma once

#include "qf/CQFString.h"

class CQFPath {
public:
    CQFPath() = default;
    explicit CQFPath(const CQFString& path) : mPath(path) {}

    CQFPath& canonify();
    bool isValid() const;
    const CQFString& getString() const { return mPath; }
    const char* getCString() const { return mPath.getCString(); }
    bool operator==(const CQFPath& other) const { return mPath == other.mPath; }
    bool operator!=(const CQFPath& other) const { return mPath != other.mPath; }

private:
    CQFString mPath;
};
