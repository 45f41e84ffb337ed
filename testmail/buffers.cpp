// The MAPI buffer pool; see buffers.h.
#include "buffers.h"

#include <mapicode.h>

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

}  // namespace

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
    void *head = nullptr;
    if (size > MAXDWORD || allocateBuffer(static_cast<ULONG>(size), &head) != S_OK) throw std::bad_alloc();
    owner.reset(head);
    return head;
}

char *chainText(void *head, const std::string &text) {
    void *block = nullptr;
    if (text.size() >= MAXDWORD || allocateMore(static_cast<ULONG>(text.size() + 1), head, &block) != S_OK)
        throw std::bad_alloc();
    std::memcpy(block, text.c_str(), text.size() + 1);
    return static_cast<char *>(block);
}

unsigned char *chainBytes(void *head, const Bytes &bytes) {
    void *block = nullptr;
    if (bytes.size() >= MAXDWORD || allocateMore(static_cast<ULONG>(bytes.size()), head, &block) != S_OK)
        throw std::bad_alloc();
    if (!bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
    return static_cast<unsigned char *>(block);
}

}  // namespace testmail
