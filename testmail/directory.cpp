// Address book look-ups; see directory.h.
#include "directory.h"

#include <cstring>

namespace testmail {

Lookup lookUp(const std::vector<BookEntry> &book, const std::string &name) {
    Lookup result;
    if (name.empty()) return result;
    for (const BookEntry &entry : book)
        if (equalsNoCase(entry.name, name)) return Lookup{Lookup::found, &entry, 1};
    for (const BookEntry &entry : book) {
        if (!containsNoCase(entry.name, name) && !containsNoCase(entry.address, name) &&
            !containsNoCase(withoutSmtpPrefix(entry.address), name))
            continue;
        result.entry = &entry;
        ++result.matches;
    }
    result.outcome = result.matches == 0 ? Lookup::notFound : result.matches == 1 ? Lookup::found : Lookup::ambiguous;
    if (result.outcome != Lookup::found) result.entry = nullptr;
    return result;
}

const BookEntry *byEntryId(const std::vector<BookEntry> &book, const void *entryId, std::size_t size) {
    if (!entryId || size == 0) return nullptr;
    for (const BookEntry &entry : book)
        if (entry.entryId.size() == size && std::memcmp(entry.entryId.data(), entryId, size) == 0) return &entry;
    return nullptr;
}

std::vector<Picked> pickedRecipients(const Config &config) {
    std::vector<Picked> picked;
    for (const Pick &pick : config.picks) {
        Lookup lookup = lookUp(config.book, pick.name);
        BookEntry entry = lookup.entry ? *lookup.entry : BookEntry{pick.name, "", {}};
        picked.push_back(Picked{entry, pick.recipClass});
    }
    return picked;
}

static std::size_t typeEnd(const std::string &address) {
    std::size_t colon = address.find(':');
    if (colon == std::string::npos || colon == 0) return std::string::npos;
    for (std::size_t i = 0; i < colon; ++i)
        if (!std::strchr("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_", address[i]))
            return std::string::npos;
    return colon;
}

std::string addressType(const std::string &address) {
    std::size_t end = typeEnd(address);
    return end == std::string::npos ? "SMTP" : address.substr(0, end);
}

std::string addressWithoutType(const std::string &address) {
    std::size_t end = typeEnd(address);
    return end == std::string::npos ? address : address.substr(end + 1);
}

}  // namespace testmail
