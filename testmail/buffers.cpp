// The MAPI buffer pool; see buffers.h.
#include "buffers.h"

#include <mapicode.h>
#include <mapix.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace testmail {
namespace {

struct FreeBlock {
    void operator()(void *block) const noexcept { std::free(block); }
};
using Block = std::unique_ptr<void, FreeBlock>;

struct Chain {
    Block head;
    std::vector<Block> more;
};

struct Pool {
    std::mutex mutex;
    std::map<void *, Chain> chains;
};

Pool &pool() {
    static Pool instance;
    return instance;
}

Block newBlock(ULONG size) { return Block(std::calloc(size ? size : 1, 1)); }

thread_local int forwarding = 0;  // our own calls passing through MAPI32.DLL, on this thread

// MAPI32.DLL's memory functions; all null when MAPI32.DLL is not in the process (a test that
// loads this DLL by itself), and the pool serves directly.
struct Mapi32Memory {
    LPMAPIALLOCATEBUFFER allocate = nullptr;
    LPMAPIALLOCATEMORE more = nullptr;
    LPMAPIFREEBUFFER free = nullptr;

    Mapi32Memory() noexcept {
        HMODULE mapi = GetModuleHandleA("MAPI32.DLL");
        if (!mapi) return;
        allocate = reinterpret_cast<LPMAPIALLOCATEBUFFER>(reinterpret_cast<void *>(GetProcAddress(mapi, "MAPIAllocateBuffer")));
        more = reinterpret_cast<LPMAPIALLOCATEMORE>(reinterpret_cast<void *>(GetProcAddress(mapi, "MAPIAllocateMore")));
        free = reinterpret_cast<LPMAPIFREEBUFFER>(reinterpret_cast<void *>(GetProcAddress(mapi, "MAPIFreeBuffer")));
    }
    bool found() const noexcept { return allocate && more && free; }
};

struct Forwarding {
    Forwarding() noexcept { ++forwarding; }
    ~Forwarding() { --forwarding; }
};

// A zeroed block for a caller: a head, or chained onto `head`.
void *callerBlock(ULONG size, void *head) {
    Mapi32Memory mapi;
    void *block = nullptr;
    SCODE result;
    if (!mapi.found()) {
        result = head ? allocateMore(size, head, &block) : allocateBuffer(size, &block);
    } else {
        Forwarding through;
        result = head ? mapi.more(size, head, &block) : mapi.allocate(size, &block);
    }
    if (result != S_OK || !block) throw std::bad_alloc();
    std::memset(block, 0, size);
    return block;
}

}  // namespace

bool forwardedByMapi32() noexcept { return forwarding > 0; }

void releaseToCaller(void *head) noexcept {
    Mapi32Memory mapi;
    if (!mapi.found()) {
        freeBuffer(head);
        return;
    }
    Forwarding through;
    mapi.free(head);
}

SCODE allocateBuffer(ULONG size, void **buffer) noexcept {
    if (!buffer) return MAPI_E_INVALID_PARAMETER;
    *buffer = nullptr;
    try {
        Block head = newBlock(size);
        if (!head) return MAPI_E_NOT_ENOUGH_MEMORY;
        Pool &p = pool();
        std::lock_guard<std::mutex> held(p.mutex);
        void *address = head.get();
        p.chains[address].head = std::move(head);
        *buffer = address;
        return S_OK;
    } catch (...) {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

SCODE allocateMore(ULONG size, void *head, void **buffer) noexcept {
    if (!buffer) return MAPI_E_INVALID_PARAMETER;
    *buffer = nullptr;
    try {
        Pool &p = pool();
        std::lock_guard<std::mutex> held(p.mutex);
        auto chain = p.chains.find(head);
        if (chain == p.chains.end()) return MAPI_E_INVALID_PARAMETER;
        Block block = newBlock(size);
        if (!block) return MAPI_E_NOT_ENOUGH_MEMORY;
        chain->second.more.push_back(std::move(block));
        *buffer = chain->second.more.back().get();
        return S_OK;
    } catch (...) {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

bool freeBuffer(void *head) noexcept {
    Pool &p = pool();
    Chain chain;  // freed after the lock is let go
    std::lock_guard<std::mutex> held(p.mutex);
    auto found = p.chains.find(head);
    if (!head || found == p.chains.end()) return false;
    chain = std::move(found->second);
    p.chains.erase(found);
    return true;
}

long outstandingBuffers() noexcept {
    Pool &p = pool();
    std::lock_guard<std::mutex> held(p.mutex);
    return static_cast<long>(p.chains.size());
}

void *newBufferBytes(std::size_t size, OwnedBuffer &owner) {
    if (size > MAXDWORD) throw std::bad_alloc();
    void *head = callerBlock(static_cast<ULONG>(size), nullptr);
    owner.reset(head);
    return head;
}

char *chainText(void *head, const std::string &text) {
    if (text.size() >= MAXDWORD) throw std::bad_alloc();
    void *block = callerBlock(static_cast<ULONG>(text.size() + 1), head);
    std::memcpy(block, text.c_str(), text.size() + 1);
    return static_cast<char *>(block);
}

unsigned char *chainBytes(void *head, const Bytes &bytes) {
    if (bytes.size() >= MAXDWORD) throw std::bad_alloc();
    void *block = callerBlock(static_cast<ULONG>(bytes.size()), head);
    if (!bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
    return static_cast<unsigned char *>(block);
}

}  // namespace testmail
