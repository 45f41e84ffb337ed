// Looking names up in the configured address book, the same way for Simple and Extended MAPI:
// case-insensitive; a display name equal to the name wins alone; otherwise every entry whose
// display name or address (with or without "SMTP:") contains the name is a match.
#pragma once

#include <string>
#include <vector>

#include "config.h"

namespace testmail {

struct Lookup {
    enum Outcome { found, notFound, ambiguous } outcome = notFound;
    const BookEntry *entry = nullptr;  // when found
    std::size_t matches = 0;
};

Lookup lookUp(const std::vector<BookEntry> &book, const std::string &name);
const BookEntry *byEntryId(const std::vector<BookEntry> &book, const void *entryId, std::size_t size);

// A picked recipient of the address book dialog: the book's entry when the pick names one,
// else the bare name.
struct Picked {
    BookEntry entry;
    unsigned long recipClass;
};
std::vector<Picked> pickedRecipients(const Config &config);

// "SMTP" for "SMTP:ann@example.com" (and for an address without a type).
std::string addressType(const std::string &address);
std::string addressWithoutType(const std::string &address);

}  // namespace testmail
