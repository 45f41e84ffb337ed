// Files that only their owner may open: the options file holds the mail profile's password.
#pragma once

#include <windows.h>

#include <memory>

// A protected DACL with one entry, full access for the user this process runs as, and a
// security descriptor holding it. valid() is false when the user cannot be found out.
class OwnerOnly {
public:
    OwnerOnly();
    bool valid() const { return acl_ != nullptr; }
    SECURITY_ATTRIBUTES *attributes() { return valid() ? &attributes_ : nullptr; }
    // Puts this DACL on an open file (CreateFile ignores a descriptor for a file that exists).
    // Needs WRITE_DAC access; returns the system error, or 0.
    DWORD apply(HANDLE file) const;

private:
    std::unique_ptr<unsigned char[]> user_, aclBytes_;
    ACL *acl_ = nullptr;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
};
