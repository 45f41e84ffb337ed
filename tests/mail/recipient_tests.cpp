// Recipient lists of a job: parsing typed names, tables by class, what counts as resolved,
// deleting chains, and running out of memory while a list is built.
#include <memory>

#include "job_fixture.h"
#include "recipient.h"

using namespace uxd;

namespace {
std::vector<std::string> namesOf(const MAPIRecipient *list) {
    std::vector<std::string> names;
    for (; list; list = list->next) names.push_back(list->name ? list->name : "(null)");
    return names;
}

MapiRecipDesc entry(ULONG recipClass, const char *name, const char *address = nullptr,
                    ULONG eidSize = 0, void *eid = nullptr) {
    MapiRecipDesc d = {};
    d.ulRecipClass = recipClass;
    d.lpszName = const_cast<char *>(name);
    d.lpszAddress = const_cast<char *>(address);
    d.ulEIDSize = eidSize;
    d.lpEntryID = eid;
    return d;
}

class RecipientLists : public JobTest {
protected:
    void SetUp() override {
        JobTest::SetUp();
        host.record.language = 0x0407;
        job.reset(new MAPIDestination(nullptr, host.with({})));
    }
    void TearDown() override {
        job.reset();
        JobTest::TearDown();
    }
    HostExport host;
    std::unique_ptr<MAPIDestination> job;
};
}  // namespace

TEST_F(RecipientLists, ParsedListFollowsTheTextAndJoinsBack) {
    MAPIRecipient *list = nullptr;
    ASSERT_EQ(parseRecipients(job.get(), "  sales ;;support  ;", &list, MAPI_CC), UXD_SUCCESS);
    EXPECT_EQ(namesOf(list), (std::vector<std::string>{"sales", "support"}));
    EXPECT_EQ(countRecipients(list), 2u);
    EXPECT_EQ(list->recipClass, static_cast<uint32_t>(MAPI_CC));
    EXPECT_EQ(list->language, 0x0407u) << "recipients speak the job's language";
    EXPECT_EQ(list->isResolved, 0u);
    char text[kRecipientTextSize];
    EXPECT_TRUE(joinRecipients(job.get(), list, text, sizeof text));
    EXPECT_STREQ(text, "sales; support");
    delete list;

    ASSERT_EQ(parseRecipients(job.get(), " ; ;; ", &list, MAPI_TO), UXD_SUCCESS);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(countRecipients(list), 0u);
    joinRecipients(job.get(), list, text, sizeof text);
    EXPECT_STREQ(text, "");

    EXPECT_EQ(parseRecipients(job.get(), nullptr, &list, MAPI_TO), UXD_E_OUT_OF_MEMORY)
        << "no text, no working copy";
}

TEST_F(RecipientLists, OutOfMemoryWhileParsingLeavesNothing) {
    long withJob = allocation_fault::outstanding();
    for (unsigned long nth = 1; nth <= 7; ++nth) {  // copy, then a recipient and a name each
        SCOPED_TRACE("allocation " + std::to_string(nth) + " fails");
        MAPIRecipient *list = reinterpret_cast<MAPIRecipient *>(1);
        allocation_fault::failAt(nth);
        EXPECT_EQ(parseRecipients(job.get(), "Ann; Bob; Cy", &list, MAPI_TO), UXD_E_OUT_OF_MEMORY);
        allocation_fault::reset();
        EXPECT_EQ(list, nullptr);
        EXPECT_EQ(allocation_fault::outstanding(), withJob);
    }
}

TEST_F(RecipientLists, TableEntriesGoToTheirClassInTableOrder) {
    BYTE eid[] = {1, 2, 3};
    MapiRecipDesc table[] = {
        entry(MAPI_CC, "Cy", "SMTP:cy@example.com"), entry(MAPI_TO, "Ann", nullptr, 3, eid),
        entry(MAPI_CC, "Di"),                         entry(0, "Orig", "SMTP:o@example.com"),
        entry(MAPI_BCC, "Bea", "SMTP:bea@example.com"), entry(7, "Odd"),
    };
    ASSERT_EQ(setRecipientsFromTable(job.get(), 6, table), UXD_SUCCESS);
    EXPECT_EQ(namesOf(job->toList), (std::vector<std::string>{"Ann"}));
    EXPECT_EQ(namesOf(job->ccList), (std::vector<std::string>{"Cy", "Di"}));
    EXPECT_EQ(namesOf(job->bccList), (std::vector<std::string>{"Orig", "Bea", "Odd"}));
    EXPECT_EQ(job->bccList->recipClass, 0u) << "the entry's own class is kept";
    EXPECT_EQ(job->bccList->next->next->recipClass, 7u);

    // Resolved: an address, or an entry identifier with a size.
    EXPECT_EQ(job->toList->isResolved, 1u);
    EXPECT_EQ(job->ccList->isResolved, 1u);
    EXPECT_EQ(job->ccList->next->isResolved, 0u) << "a bare name is resolved when sent";
    ASSERT_NE(job->toList->resolved, nullptr);
    EXPECT_NE(job->toList->resolved->lpEntryID, static_cast<void *>(eid)) << "a copy, not the table's";
    EXPECT_EQ(memcmp(job->toList->resolved->lpEntryID, eid, 3), 0);

    // A second table replaces all three lists.
    MapiRecipDesc other[] = {entry(MAPI_TO, "Zed", nullptr, 0, eid)};
    ASSERT_EQ(setRecipientsFromTable(job.get(), 1, other), UXD_SUCCESS);
    EXPECT_EQ(namesOf(job->toList), (std::vector<std::string>{"Zed"}));
    EXPECT_EQ(job->ccList, nullptr);
    EXPECT_EQ(job->bccList, nullptr);
    EXPECT_EQ(job->toList->resolved->lpEntryID, nullptr) << "size 0: no entry identifier copied";
    EXPECT_EQ(job->toList->isResolved, 0u);
}

TEST_F(RecipientLists, DescriptorThatCannotBeCopiedStillGivesARecipient) {
    MapiRecipDesc broken = entry(MAPI_TO, "Ann", "SMTP:ann@example.com", 4, nullptr);  // size, no block
    ASSERT_EQ(setRecipientsFromTable(job.get(), 1, &broken), UXD_SUCCESS);
    ASSERT_NE(job->toList, nullptr);
    EXPECT_EQ(job->toList->resolved, nullptr);
    EXPECT_EQ(job->toList->isResolved, 0u);
    EXPECT_STREQ(job->toList->name, "Ann");
}

TEST_F(RecipientLists, DeletingARecipientDeletesTheRestOfItsChain) {
    MAPIRecipient *list = nullptr;
    ASSERT_EQ(parseRecipients(job.get(), "a;b;c;d", &list, MAPI_TO), UXD_SUCCESS);
    MAPIRecipient *second = list->next;
    list->next = nullptr;
    long before = allocation_fault::outstanding();
    delete second;  // b, c and d: a recipient and its name each
    EXPECT_EQ(allocation_fault::outstanding(), before - 6);
    EXPECT_EQ(namesOf(list), (std::vector<std::string>{"a"}));
    delete list;

    std::string many;
    for (int i = 0; i < 2500; ++i) many += "x;";
    ASSERT_EQ(parseRecipients(job.get(), many.c_str(), &list, MAPI_TO), UXD_SUCCESS);
    EXPECT_EQ(countRecipients(list), 2500u);
    delete list;  // a long chain goes without deep recursion
}

