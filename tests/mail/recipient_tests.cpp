// Recipient lists of a job: parsing typed names, tables by class, what counts as resolved,
// and a table refused.

#include "job_fixture.h"
#include "recipient.h"

using namespace uxd;
using Names = std::vector<std::string>;

namespace {
class RecipientLists : public JobTest {
protected:
    void SetUp() override {
        JobTest::SetUp();
        host.record.language = 0x0407;
        job.reset(new MAPIDestination(nullptr, host.with({})));
    }
    void TearDown() override { job.reset(), JobTest::TearDown(); }
    HostExport host;
    uxd::unique_job job;
};
}  // namespace

TEST_F(RecipientLists, ParsedListFollowsTheTextAndJoinsBack) {
    const struct { const char *text; Names names; const char *joined; } cases[] = {
        {"  sales ;;support  ;", {"sales", "support"}, "sales; support"},
        {"\tAnn\t;Ann", {"\tAnn\t", "Ann"}, "\tAnn\t; Ann"},  // tabs are kept; a name typed twice is two
        {" ; ;; ", {}, ""}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        MAPIRecipient *list = reinterpret_cast<MAPIRecipient *>(1);
        ASSERT_EQ(parseRecipients(job.get(), c.text, &list, MAPI_CC), UXD_SUCCESS);
        EXPECT_EQ(namesOf(list), c.names);
        EXPECT_EQ(countRecipients(list), c.names.size());
        for (MAPIRecipient *r = list; r; r = r->next) {
            EXPECT_EQ(r->recipClass, static_cast<uint32_t>(MAPI_CC));
            EXPECT_EQ(r->language, 0x0407u) << "recipients speak the job's language";
            EXPECT_EQ(r->isResolved, 0u);
        }
        char text[kRecipientTextSize] = "old";
        joinRecipients(job.get(), list, text, sizeof text);
        EXPECT_STREQ(text, c.joined);
        destroy(list);
    }
    MAPIRecipient *list = nullptr;
    EXPECT_EQ(parseRecipients(job.get(), nullptr, &list, MAPI_TO), UXD_E_OUT_OF_MEMORY) << "no text, no copy";
}

TEST_F(RecipientLists, TableEntriesGoToTheirClassInTableOrderAndABadTableChangesNothing) {
    BYTE eid[] = {1, 2, 3};
    MapiRecipDesc table[] = {
        recipient(MAPI_CC, "Cy", "SMTP:cy@example.com"), recipient(MAPI_TO, "Ann", nullptr, 3, eid),
        recipient(MAPI_CC, "Di"), recipient(0, "Orig", "SMTP:o@example.com"),
        recipient(MAPI_BCC, "Bea", "SMTP:bea@example.com"), recipient(7, "Odd")};
    ASSERT_EQ(setRecipientsFromTable(job.get(), 6, table), UXD_SUCCESS);
    EXPECT_EQ(namesOf(job->toList.head), Names{"Ann"});
    EXPECT_EQ(namesOf(job->ccList.head), (Names{"Cy", "Di"}));
    EXPECT_EQ(namesOf(job->bccList.head), (Names{"Orig", "Bea", "Odd"}));
    EXPECT_EQ(job->bccList.head->recipClass, 0u) << "the entry's own class is kept";
    EXPECT_EQ(job->bccList.head->next->next->recipClass, 7u);
    // Resolved: an address, or an entry identifier with a size.
    EXPECT_EQ(job->toList.head->isResolved, 1u);
    EXPECT_EQ(job->ccList.head->isResolved, 1u);
    EXPECT_EQ(job->ccList.head->next->isResolved, 0u) << "a bare name is resolved when sent";
    ASSERT_NE(job->toList.head->resolved, nullptr);
    EXPECT_NE(job->toList.head->resolved->lpEntryID, static_cast<void *>(eid)) << "a copy, not the table's";
    EXPECT_EQ(memcmp(job->toList.head->resolved->lpEntryID, eid, 3), 0);

    MapiRecipDesc other[] = {recipient(MAPI_TO, "Zed", nullptr, 0, eid)};
    ASSERT_EQ(setRecipientsFromTable(job.get(), 1, other), UXD_SUCCESS);
    EXPECT_EQ(namesOf(job->toList.head), Names{"Zed"}) << "a second table replaces all three lists";
    EXPECT_EQ(job->ccList.head, nullptr);
    EXPECT_EQ(job->bccList.head, nullptr);
    EXPECT_EQ(job->toList.head->resolved->lpEntryID, nullptr) << "size 0: no entry identifier copied";
    EXPECT_EQ(job->toList.head->isResolved, 0u);

    // An identifier size without an identifier is the host's mistake: guessing could reach
    // somebody else, so the table is refused and the lists stay. (Out of memory: the sweeps.)
    MapiRecipDesc sizeWithoutId[] = {recipient(MAPI_TO, "Eve", "SMTP:eve@example.com", 4, nullptr)};
    EXPECT_EQ(setRecipientsFromTable(job.get(), 1, sizeWithoutId), UXD_E_INVALID_ARGUMENT);
    EXPECT_EQ(namesOf(job->toList.head), Names{"Zed"});
}
