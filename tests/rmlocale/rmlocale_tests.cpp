// rmlocale-1-0.dll: what a session hands out from the
// libraries beside this program or, failing them, from the program's own resources.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "rmlocale.h"

class Session : public testing::Test {
protected:
    void TearDown() override { RMTermResMgrSession(fallback), RMTermResMgrSession(noFallback); }
    RMSESSION open(DWORD toModule) {
        return RMInitResMgrSession(GetModuleHandleW(nullptr), 0, L"pelmo%L.%X", toModule);
    }
    RMSESSION fallback = open(1), noFallback = open(0);
};

TEST_F(Session, TextsComeFromTheFirstSourceThatHasThem) {
    std::string digits;  // pelmo0600.dll's 300-character name
    while (digits.size() < 300) digits += "0123456789";
    const struct { const char *what; RMSESSION session; WORD language; UINT id; int maxChars;
                   std::string expected; } cases[] = {
        {"German library, in code page 1252", fallback, 0x0407, IDS_NO_MATCH, 255,
         "F\xFCr <%s> wurde keine \xDC" "bereinstimmung gefunden."},
        {"primary language's library", fallback, 0x0C07, IDS_MAPI_CAPTION, 255, "MAPI-Ziel"},
        {"no library: the module's", fallback, 0x0413, IDS_MAPI_CAPTION, 255, "MAPI Destination"},
        {"missing from the library: the module's", fallback, 0x0600, IDS_NO_MATCH, 255,
         "No match could be found for <%s>."},
        {"missing everywhere", fallback, 0x0409, 4242, 255, ""},
        {"a count past its block's end", noFallback, 0x0600, 4000, 255, ""},
        {"no fallback, no library", noFallback, 0x0409, IDS_MAPI_CAPTION, 255, ""},
        {"no fallback, library still used", noFallback, 0x0407, IDS_MAPI_CAPTION, 255, "MAPI-Ziel"},
        {"null session", nullptr, 0x0407, IDS_MAPI_CAPTION, 255, ""},
        {"cut to maxChars", fallback, 0x0600, IDS_DESTINATION_NAME, 299, digits.substr(0, 299)},
        {"exact fit", fallback, 0x0600, IDS_DESTINATION_NAME, 300, digits},
        {"no room", fallback, 0x0600, IDS_DESTINATION_NAME, 0, ""},
    };
    ASSERT_TRUE(fallback && noFallback) << "no session";
    ASSERT_EQ(GetACP(), 1252u) << "the German bytes expected are those of code page 1252";
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << ": language 0x" << std::hex << c.language
                                        << std::dec << ", text " << c.id << ", maxChars " << c.maxChars);
        // maxChars + 1 bytes may be written; the guard bytes after them must stay as they are.
        std::vector<char> buffer(c.maxChars + 1 + 16, 'Z');
        int count = RMLoadStringA(c.session, c.language, c.id, buffer.data(), c.maxChars);
        auto end = buffer.begin() + c.maxChars + 1, nul = std::find(buffer.begin(), end, '\0');
        EXPECT_NE(nul, end) << "no terminator within maxChars + 1 bytes";
        EXPECT_EQ(std::string(buffer.begin(), nul), c.expected);
        EXPECT_EQ(count, static_cast<int>(c.expected.size())) << "returned count";
        EXPECT_EQ(std::string(end, buffer.end()), std::string(16, 'Z')) << "written past maxChars + 1";
    }
}

// Closing a session unmaps the libraries it loaded: a host opens and closes one per load.
TEST_F(Session, ClosingUnmapsItsLibraries) {
    RMSESSION session = open(0);
    const HINSTANCE library = RMGetResDLLInstance(session, 0x0407, nullptr);
    ASSERT_NE(library, nullptr);
    auto mapped = [&] {  // a data-file handle carries flags in its low bits
        MEMORY_BASIC_INFORMATION memory = {};
        return VirtualQuery(reinterpret_cast<void *>(reinterpret_cast<uintptr_t>(library) & ~uintptr_t(3)), &memory,
                            sizeof memory) && memory.State != MEM_FREE;
    };
    EXPECT_TRUE(mapped());
    RMTermResMgrSession(session);
    EXPECT_FALSE(mapped()) << "German library still mapped";
}
