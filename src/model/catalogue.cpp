// Destination catalogue and its per-language cache.
#include "catalogue.h"

#include <cstring>

#include "allocation.h"
#include "module_state.h"
#include "resource_ids.h"

namespace uxd::catalogue {
namespace {

constexpr size_t kNameBufferSize = 256;          // 255 characters
constexpr size_t kDescriptionBufferSize = 1021;  // 1020 characters

// The template every catalogue is copied from; its texts are the default-language ones.
UXDDestinationEntry templateEntry = {sizeof(UXDDestinationEntry), {}, nullptr, 0, {}, nullptr};
UXDDestinationEntry *templateEntries[] = {&templateEntry};
UXDDestinationCatalogue templateCatalogue = {
    sizeof(UXDDestinationCatalogue), 1, {}, templateEntries, "xmapi"};

void releaseCatalogue(UXDDestinationCatalogue *catalogue) noexcept {
    if (!catalogue) return;
    if (catalogue->entries) {
        for (uint16_t i = 0; i < catalogue->entryCount; ++i) {
            UXDDestinationEntry *entry = catalogue->entries[i];
            if (!entry) continue;
            release(const_cast<char *>(entry->name));
            release(const_cast<char *>(entry->description));
            release(entry);
        }
        release(catalogue->entries);
    }
    release(catalogue);
}

// A growable array of pointers-sized items kept through the allocation seam.
template <class T>
struct Array {
    T *items = nullptr;
    size_t count = 0;
    size_t capacity = 0;

    bool append(T item) noexcept {
        if (count == capacity) {
            size_t wanted = capacity ? capacity * 2 : 4;
            T *grown = static_cast<T *>(allocateZeroed(wanted, sizeof(T)));
            if (!grown) return false;
            if (count) std::memcpy(grown, items, count * sizeof(T));
            release(items);
            items = grown;
            capacity = wanted;
        }
        items[count++] = item;
        return true;
    }
    void clear() noexcept {
        release(items);
        *this = Array{};
    }
};

// Languages and their catalogues at the same index, plus the language-0 catalogues that
// are never looked up again but are still released at unload.
struct Cache {
    Array<int32_t> languages;
    Array<UXDDestinationCatalogue *> catalogues;
    Array<UXDDestinationCatalogue *> uncached;

    UXDDestinationCatalogue *find(int32_t language) const noexcept {
        if (language == 0) return nullptr;
        for (size_t i = 0; i < languages.count; ++i)
            if (languages.items[i] == language) return catalogues.items[i];
        return nullptr;
    }

    bool keep(int32_t language, UXDDestinationCatalogue *catalogue) noexcept {
        if (language == 0) return uncached.append(catalogue);
        if (!languages.append(language)) return false;
        if (catalogues.append(catalogue)) return true;
        --languages.count;  // keep the two lists the same length
        return false;
    }

    void clear() noexcept {
        for (size_t i = 0; i < catalogues.count; ++i) releaseCatalogue(catalogues.items[i]);
        for (size_t i = 0; i < uncached.count; ++i) releaseCatalogue(uncached.items[i]);
        languages.clear();
        catalogues.clear();
        uncached.clear();
    }

    ~Cache() { clear(); }  // module unload
};

Cache cache;

UXDDestinationEntry *copyEntry(const UXDDestinationEntry &source) noexcept {
    auto *entry = static_cast<UXDDestinationEntry *>(allocateZeroed(1, sizeof(UXDDestinationEntry)));
    if (!entry) return nullptr;
    entry->structSize = source.structSize;
    entry->value = source.value;
    entry->name = duplicateText(source.name);
    entry->description = duplicateText(source.description);
    bool textsCopied = (entry->name || !source.name) && (entry->description || !source.description);
    if (textsCopied) return entry;
    release(const_cast<char *>(entry->name));
    release(const_cast<char *>(entry->description));
    release(entry);
    return nullptr;
}

UXDDestinationCatalogue *copyTemplate() noexcept {
    templateEntry.name = module.defaultName;
    templateEntry.description = module.defaultDescription;

    auto *copy = static_cast<UXDDestinationCatalogue *>(
        allocateZeroed(1, sizeof(UXDDestinationCatalogue)));
    if (!copy) return nullptr;
    copy->structSize = templateCatalogue.structSize;
    std::memcpy(copy->identifier, templateCatalogue.identifier, sizeof copy->identifier);
    if (templateCatalogue.entryCount == 0) return copy;

    copy->entries = static_cast<UXDDestinationEntry **>(
        allocateZeroed(templateCatalogue.entryCount, sizeof(UXDDestinationEntry *)));
    if (!copy->entries) {
        releaseCatalogue(copy);
        return nullptr;
    }
    // The count grows with each entry made, so a partial copy is released exactly.
    for (uint16_t i = 0; i < templateCatalogue.entryCount; ++i) {
        copy->entries[i] = copyEntry(*templateCatalogue.entries[i]);
        if (!copy->entries[i]) {
            releaseCatalogue(copy);
            return nullptr;
        }
        copy->entryCount = static_cast<uint16_t>(i + 1);
    }
    return copy;
}

// Puts the language's texts into the first entry; false only when memory runs out.
bool loadTexts(UXDDestinationCatalogue *catalogue, uint32_t language) noexcept {
    if (catalogue->entryCount == 0) return true;
    UXDDestinationEntry *entry = catalogue->entries[0];
    release(const_cast<char *>(entry->name));
    release(const_cast<char *>(entry->description));
    entry->description = nullptr;
    auto *name = static_cast<char *>(allocateZeroed(kNameBufferSize, 1));
    entry->name = name;
    if (!name) return false;
    auto *description = static_cast<char *>(allocateZeroed(kDescriptionBufferSize, 1));
    entry->description = description;
    if (!description) return false;

    WORD textLanguage = static_cast<WORD>(language);
    if (!RMLoadStringA(module.resourceSession, textLanguage, IDS_DESTINATION_NAME, name,
                       kNameBufferSize - 1)) {
        name[0] = '\0';
        return true;
    }
    RMLoadStringA(module.resourceSession, textLanguage, IDS_DESTINATION_DESCRIPTION,
                  description, kDescriptionBufferSize - 1);
    return true;
}

}  // namespace

UXDDestinationCatalogue *forLanguage(uint32_t language) noexcept {
    int32_t key = static_cast<int32_t>(language);
    if (UXDDestinationCatalogue *cached = cache.find(key)) return cached;

    UXDDestinationCatalogue *catalogue = copyTemplate();
    if (!catalogue) return nullptr;
    if (!loadTexts(catalogue, language) || !cache.keep(key, catalogue)) {
        releaseCatalogue(catalogue);
        return nullptr;
    }
    return catalogue;
}

void releaseAll() noexcept { cache.clear(); }

}  // namespace uxd::catalogue
