// The Send Mail dialog as a user drives it under Xvfb, through the test mail system. The same
// tests run as dialog_tests (Windows 7: the address book) and dialog_tests_vista (Simple MAPI).
#include <algorithm>
#include <functional>
#include <tuple>

#include "address_book.h"
#include "allocation_sweep.h"
#include "dialog_driver.h"
#include "mail_fixture.h"
#include "message_box.h"
#include "recipient.h"
#include "resource_ids.h"
#include "send_mail_dialog.h"
#include "simple_mapi.h"

using namespace uxd;
using Texts = std::vector<std::string>;

namespace {
using dialog_driver::Driver;
using dialog_driver::kPollMs;

class SendMailDialog : public MailTest {
protected:
    // Shows the dialog of a fresh job while the script drives it.
    UXDResult show(std::function<void(Driver &)> script) {
        job.reset(), makeJob();
        job->parentWindow = nullptr;  // the fixture's stand-in handle is no window
        job->addressBookUnreachable = bookUnreachable;
        logStart = mail->log().size();
        EXPECT_EQ(bindSimpleMapi(*job), UXD_SUCCESS);
        Driver driver(std::move(script));
        UXDResult rc = runSendMailDialog(*job);
        driver.thread_.join();
        EXPECT_TRUE(driver.dialog) << "the dialog never appeared (runSendMailDialog gave " << rc << ")";
        EXPECT_FALSE(driver.leftOpen) << "the script ended with the dialog still open";
        EXPECT_TRUE(driver.stuck.empty()) << "a button was still being handled after " << dialog_driver::kTimeoutMs << " ms";
        return rc;
    }
    size_t calls(const std::string &function) const {  // since the job was made
        Texts log = mail->log();
        return std::count_if(log.begin() + logStart, log.end(), [&](auto &l) { return !l.rfind(function + " ", 0); });
    }
    size_t resolutions() const { return calls("MAPIResolveName") + calls("ResolveName"); }
    size_t logStart = 0;
    bool bookUnreachable = false;  // as for a client without Extended MAPI: Address is MAPIAddress
};
}  // namespace

// Names typed again keep their recipients (and what is known of them), in the order typed;
// each known one serves one typed name; names no longer typed go; nothing is released twice
// (the fixture counts the blocks).
TEST_F(SendMailDialog, ReconcileKeepsKnownRecipientsInTheTypedOrderAndABoxOnlyWhatItShows) {
    makeJob();
    MAPIRecipient *list = nullptr, *typed = nullptr;
    ASSERT_EQ(parseRecipients(job.get(), "Ann Archer; Bob Carter; Dan", &list, MAPI_TO), UXD_SUCCESS);
    const MAPIRecipient *ann = list, *bob = list->next;
    ASSERT_EQ(parseRecipients(job.get(), "bob carter; Cy Young; Ann Archer; ann archer", &typed, MAPI_TO), UXD_SUCCESS);
    reconcileRecipients(job.get(), &list, typed);
    std::vector<const MAPIRecipient *> nodes;
    for (const MAPIRecipient *r = list; r; r = r->next) nodes.push_back(r);
    EXPECT_EQ(namesOf(list), (Texts{"Bob Carter", "Cy Young", "Ann Archer", "ann archer"}));
    ASSERT_EQ(nodes.size(), 4u);
    EXPECT_TRUE(nodes[0] == bob && nodes[2] == ann) << "the known recipients kept";
    EXPECT_TRUE(nodes[1] != ann && nodes[3] != ann && nodes[3] != bob) << "new names are new recipients";
    destroy(list);

    // A box too small for every name shows the first whole ones, and its list keeps exactly
    // those: Send reads the boxes again, so nobody the user cannot see is sent to.
    char text[64] = "Ann Archer; Bob Carter; Cy Young";
    uint32_t count = 0;
    ASSERT_EQ(syncRecipientBox(job.get(), text, 24, false, nullptr, &job->toList.head, &count, MAPI_TO), UXD_SUCCESS);
    EXPECT_STREQ(text, "Ann Archer; Bob Carter");
    EXPECT_EQ(namesOf(job->toList.head), (Texts{"Ann Archer", "Bob Carter"}));
    EXPECT_EQ(count, 2u);
}

// Scripts of To typed (nullptr: as it is), a button, and To then shown (nullptr: not looked at);
// a script that does not send ends with Cancel.
TEST_F(SendMailDialog, CheckNamesRewritesToSendNeedsToAndMakesOneRecipientPerNameResolvedOnce) {
    struct Step { const char *to; int button; const char *shown = nullptr; };
    struct Case { const char *cc; std::vector<Step> steps; UXDResult rc; const char *names; size_t resolved; };
    const char *ann = "  Ann Archer ;; bob@example  ;", *twice = "Bob Carter; Bob Carter", *both = "Ann Archer; Bob Carter";
    const Case cases[] = {
        {"", {{ann, IDC_CHECK_NAMES, both}, {nullptr, IDOK}}, UXD_SUCCESS, both, 2},
        {"", {{twice, IDOK}}, UXD_SUCCESS, twice, 2},
        // A name resolved before is known again in any case.
        {"", {{"Ann Archer", IDC_CHECK_NAMES, "Ann Archer"}, {"ann archer", IDC_CHECK_NAMES, "Ann Archer"},
              {"ANN ARCHER", IDOK}}, UXD_SUCCESS, "Ann Archer", 1},
        // Send without To shows IDS_TO_REQUIRED; Check Names shows nothing. Both resolve Cc.
        {"Bob Carter", {{"", IDOK, ""}}, UXD_E_CANCELLED, "", 1},
        {"Bob Carter", {{"", IDC_CHECK_NAMES, ""}}, UXD_E_CANCELLED, "", 1},
    };
    char toRequired[256] = "";
    ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), IDS_TO_REQUIRED, toRequired, sizeof toRequired), 0);
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.steps[0].to) + (c.steps[0].button == IDOK ? ", Send" : ", Check Names"));
        EXPECT_EQ(show([&](Driver &d) {
            d.type(IDC_CC_BOX, c.cc);
            for (const Step &step : c.steps) {
                if (step.to) d.type(IDC_TO_BOX, step.to);
                Texts box = d.press(step.button);
                bool wanted = step.button == IDOK && step.to && !*step.to;
                EXPECT_EQ(std::count(box.begin(), box.end(), toRequired), wanted ? 1 : 0)
                    << "expected \"" << toRequired << "\" " << wanted << " times, got " << testing::PrintToString(box);
                EXPECT_EQ(box.empty(), !wanted) << "no other box";
                EXPECT_EQ(d.boxOwner, wanted ? d.dialog : nullptr) << "the box is owned by the dialog";
                if (wanted || step.button == IDC_CHECK_NAMES) {
                    EXPECT_TRUE(d.isOpen()) << "the dialog stays open";
                }
                if (step.shown) {
                    EXPECT_EQ(d.read(IDC_TO_BOX), step.shown);
                }
            }
            if (c.rc != UXD_SUCCESS) d.press(IDCANCEL);
        }), c.rc);
        std::string names;  // unresolved ones marked
        for (MAPIRecipient *r = job->toList.head; r; r = r->next)
            names += (names.empty() ? "" : "; ") + std::string(r->name) + (r->isResolved ? "" : " (unresolved)");
        EXPECT_EQ(names, c.names) << "one resolved recipient per name";
        if (c.rc == UXD_SUCCESS) {
            EXPECT_STREQ(job->toText, c.names);
        }
        EXPECT_EQ(resolutions(), c.resolved) << "Send does not resolve checked names again";
    }
}
// Address on this program's path fills To and Cc; only Send hands the texts to the job. A
// cancel is no failure, on either path: no message.
TEST_F(SendMailDialog, AddressFillsToAndCcAndOnlySendKeepsTheTexts) {
    struct Case { const char *pick, *to, *cc, *wantTo, *wantCc; bool send, unreachable = false; };
    const char *both = "Ann Archer:1,Bob Carter:2", *message = "Attached.\r\n\r\nRegards";
    const Case cases[] = {{both, "", "", "Ann Archer", "Bob Carter", true},
                          {both, "Ghost", "", "Ann Archer", "Bob Carter", false},
                          {"cancel", "Ghost", "Anna Baker", "Ghost", "Anna Baker", false},
                          {"cancel", "Ghost", "", "Ghost", "", false, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string("pick=") + c.pick + " To=\"" + c.to + "\" Cc=\"" + c.cc + "\"" +
                     (c.unreachable ? ", no address book" : ""));
        mail->set("address", "pick", c.pick);
        bookUnreachable = c.unreachable;
        const char *function = useAddressBook() && !c.unreachable ? "Address" : "MAPIAddress";
        EXPECT_EQ(show([&](Driver &d) {
            d.type(IDC_TO_BOX, c.to);
            d.type(IDC_CC_BOX, c.cc);
            d.type(IDC_SUBJECT_BOX, "Monthly sales report");
            d.type(IDC_MESSAGE_BOX, message);
            EXPECT_EQ(d.press(IDC_ADDRESS), Texts{}) << "Address shows no message";
            EXPECT_EQ(d.read(IDC_TO_BOX), c.wantTo);
            EXPECT_EQ(d.read(IDC_CC_BOX), c.wantCc);
            d.press(c.send ? IDOK : IDCANCEL);
        }), c.send ? UXD_SUCCESS : UXD_E_CANCELLED);
        EXPECT_EQ(resolutions(), 0u) << "Address resolves nothing, and chosen names need no resolution";
        EXPECT_EQ(calls(function), 1u) << "one call of " << function << ", this program's path";
        EXPECT_STREQ(job->subjectText, c.send ? "Monthly sales report" : "");
        EXPECT_STREQ(job->messageText, c.send ? message : "");
        if (c.send) {
            EXPECT_STREQ(job->ccText, c.wantCc);
        }
    }
}

// A text longer than its job buffer (a program can set any length) is cut to the buffer, and
// the fixture's canary sees any byte written past it. A dialog that cannot be made is a cancel.
TEST_F(SendMailDialog, TextsAreCutToTheirBuffersAndNoDialogIsACancel) {
    const std::string subject(kSubjectTextSize + 40, 's'), message(kMessageTextSize + 40, 'm');
    EXPECT_EQ(show([&](Driver &d) {
        d.type(IDC_TO_BOX, "Ann Archer");
        d.type(IDC_SUBJECT_BOX, subject);
        d.type(IDC_MESSAGE_BOX, message);
        d.press(IDOK);
    }), UXD_SUCCESS);
    for (const auto &[text, typed, size] : {std::tuple(job->subjectText.get(), &subject, kSubjectTextSize),
                                            std::tuple(job->messageText.get(), &message, kMessageTextSize)})
        EXPECT_TRUE(std::strlen(text) == size - 1 && typed->compare(0, size - 1, text) == 0)
            << std::strlen(text) << " characters kept of " << typed->size() << " in a buffer of " << size;

    auto noDialog = [](HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) -> INT_PTR {
        return SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND), -1;
    };
    IatHook hook{GetModuleHandleA(nullptr), "user32.dll", "DialogBoxParamA", reinterpret_cast<void *>(+noDialog)};
    ASSERT_TRUE(hook.installed());
    EXPECT_EQ(runSendMailDialog(*job), UXD_E_CANCELLED);
}

// Each allocation of a dialog session fails in turn, the user going on as a user would. Setup
// gives 2; a command that fails changes nothing and the dialog stays open; whenever the dialog
// ends with Send, the mail goes to the names the user saw resolved, with the user's texts.
TEST_F(SendMailDialog, EachFailingAllocationLeavesTheUserInCharge) {
    mail->set("address", "pick", "Ann Archer:1,Bob Carter:2");
    const std::string both = "Ann Archer <ann@example.com>, Bob Carter <bob@example.com>";
    const SentMail typed = {both, "Anna Baker <anna@example.com>", "Sales, Q1", "The figures. ", {}},
                   picked = {"Ann Archer <ann@example.com>", "Bob Carter <bob@example.com>", "Sales, Q1", "The figures. ", {}},
                   annOnly = {"Ann Archer <ann@example.com>", "", "", " ", {}};
    // One step of the user's: a button clicked or a key pressed.
    struct Step { int command; WORD key; };
    const struct { const char *path; std::vector<Step> steps; const SentMail *mail; UXDResult clean; } cases[] = {
        {"dialog: Check Names, then Send", {{IDC_CHECK_NAMES, 0}, {IDOK, 0}}, &typed, 0},
        {"dialog: Address, then Send", {{IDC_ADDRESS, 0}, {IDOK, 0}}, &picked, 0},
        {"dialog: Enter in the To box", {{0, VK_RETURN}}, &annOnly, 0},
        {"dialog: Escape", {{0, VK_ESCAPE}}, nullptr, UXD_E_CANCELLED},
    };
    for (const auto &c : cases) {
        auto scenario = [&](SweepRun &run) {
            SweepOutcome outcome;
            unsigned long allocationsBeforeDialog = 0;
            job.reset();
            void *handle = nullptr;
            UXDJobInfo *info = nullptr;
            run.arm();
            Driver driver([&](Driver &d) {
                allocationsBeforeDialog = allocation_fault::attempts();
                // The logon's empty result text is the last copy before the dialog; a cancelled
                // job is gone before the host could ask, so look at it while the dialog shows.
                auto *shown = reinterpret_cast<MAPIDestination *>(GetWindowLongPtrA(d.dialog, DWLP_USER));
                if (shown && !shown->errorText) outcome.seen.insert(Degradation::SpareErrorText);
                bool enter = c.steps[0].key == VK_RETURN;
                d.type(IDC_TO_BOX, enter ? "Ann Archer" : c.steps[0].command == IDC_ADDRESS ? "Ghost" : "ann archer; bob carter");
                if (!enter) {
                    d.type(IDC_CC_BOX, "Anna Baker"), d.type(IDC_SUBJECT_BOX, "Sales, Q1");
                    d.type(IDC_MESSAGE_BOX, "The figures.");
                }
                for (const Step &step : c.steps) {
                    if (step.key) d.key(step.key);
                    else d.press(step.command);
                }
                // Send did not end it: the user gives up.
                for (DWORD waited = 0; d.isOpen() && waited < 300; waited += kPollMs) Sleep(kPollMs);
                if (d.isOpen()) d.press(IDCANCEL);
                // The allocation that failed was one of a command's: the command gave up, changing
                // nothing (or showing the mail system's error), and the user went on with the next.
                if (run.failing() > allocationsBeforeDialog) outcome.seen.insert(Degradation::DialogCommandFailed);
            });
            outcome.code = UXDInitExportDestination(nullptr, 0, nullptr, host.with({}), &handle, &info);
            run.disarm();
            driver.noDialog = true;
            driver.thread_.join();
            outcome.expect(driver.stuck.empty(), "a button was still being handled after " +
                                                     std::to_string(dialog_driver::kTimeoutMs) + " ms");
            if (handle && !static_cast<MAPIDestination *>(handle)->errorText) outcome.seen.insert(Degradation::SpareErrorText);
            if (outcome.code == UXD_SUCCESS) {
                UXDExportRequest request = {};
                outcome.expect(UXDExportToDestination(handle, &request) == UXD_SUCCESS, "the send failed");
                std::vector<SentMail> sent = mail->sent();
                outcome.expect(sent.size() == 1 && sent[0] == *c.mail,
                               "sent " + (sent.empty() ? "nothing" : describe(sent[0])) + ", the user's is " + describe(*c.mail));
            } else {
                outcome.expect(mail->sent().empty(), "a mail went out");
            }
            UXDTermExportDestination(handle, 0);
            outcome.expect(mail->outstandingBuffers() == 0 && mail->outstandingObjects() == 0, "MAPI buffers or objects left");
            mail->clearOutbox();
            return outcome;
        };
        EXPECT_EQ(sweepAllocations(c.path, {Degradation::SpareErrorText, Degradation::DialogCommandFailed}, scenario,
                                   c.clean), 0u);
    }
}
