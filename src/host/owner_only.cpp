// The owner-only DACL of the options file; see owner_only.h.
#include "owner_only.h"

namespace {

// The TOKEN_USER of this process, or null.
std::unique_ptr<unsigned char[]> currentUser() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::unique_ptr<unsigned char[]> user(size ? new unsigned char[size] : nullptr);
    bool got = user && GetTokenInformation(token, TokenUser, user.get(), size, &size);
    CloseHandle(token);
    return got ? std::move(user) : nullptr;
}

}  // namespace

OwnerOnly::OwnerOnly() : user_(currentUser()) {
    if (!user_) return;
    PSID sid = reinterpret_cast<TOKEN_USER *>(user_.get())->User.Sid;
    DWORD size = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid);
    aclBytes_.reset(new unsigned char[size]);
    auto *acl = reinterpret_cast<ACL *>(aclBytes_.get());
    if (!InitializeAcl(acl, size, ACL_REVISION) || !AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, sid) ||
        !InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) ||
        !SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        return;
    attributes_ = {sizeof attributes_, &descriptor_, FALSE};
    acl_ = acl;  // protected: nothing is inherited from the folder
}

DWORD OwnerOnly::apply(HANDLE file) const {
    if (!valid()) return ERROR_INVALID_SECURITY_DESCR;
    // The descriptor itself, protected flag included: SetSecurityInfo would work out and add
    // the folder's inheritable entries first where the protection is not honoured (Wine).
    auto *descriptor = const_cast<SECURITY_DESCRIPTOR *>(&descriptor_);
    return SetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, descriptor) ? ERROR_SUCCESS : GetLastError();
}
