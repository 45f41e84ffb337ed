// The Send Mail dialog as a user drives it: typing into its boxes and pressing its buttons
// under Xvfb, through the test mail system. The same tests run as dialog_tests (Windows 7:
// the Extended MAPI address book) and dialog_tests_vista (Vista: Simple MAPI).
#include <functional>

#include "address_book.h"
#include "dialog_driver.h"
#include "mail_fixture.h"
#include "recipient.h"
#include "resource_ids.h"
#include "send_mail_dialog.h"
#include "simple_mapi.h"
#include "test_paths.h"

using namespace uxd;

namespace {
const char kToRequired[] = "A name must be given in the To box.";

class SendMailDialog : public MailTest {
protected:
    void SetUp() override {
        MailTest::SetUp();
        freshJob();
    }
    void freshJob(uint32_t language = 0x0409) {
        job.reset();
        makeJob();
        job->parentWindow = nullptr;  // the fixture's stand-in handle is no window
        job->language = language;
        ASSERT_EQ(bindSimpleMapi(*job), UXD_SUCCESS);
    }
    // Shows the dialog while the script drives it from the driver's thread.
    UXDResult show(DialogDriver::Script script) {
        DialogDriver driver(std::move(script));
        UXDResult rc = runSendMailDialog(*job);
        driver.finish();
        EXPECT_TRUE(driver.found()) << "the dialog never appeared (runSendMailDialog gave " << rc << ")";
        EXPECT_FALSE(driver.leftOpen()) << "the script ended with the dialog still open";
        return rc;
    }
    size_t resolutions() const {
        return mail->calls("MAPIResolveName").size() + mail->calls("ResolveName").size();
    }
    // The last call to `function`, with its indented detail lines.
    std::string lastCall(const std::string &function) const {
        std::string call;
        for (const std::string &line : mail->log()) {
            if (line.compare(0, function.size() + 1, function + " ") == 0) call = line;
            else if (!call.empty() && line.compare(0, 2, "  ") == 0) call += "\n" + line;
        }
        return call;
    }
    // The address book's not-found code is reported like any failed MAPI call.
    std::string noMatchText(const char *name) const {
        if (useAddressBook()) return "Error 2147746063 returned by function <MAPIResolveName>.";
        return std::string("No match could be found for <") + name + ">.";
    }
};

std::string hex(HWND window) {
    char text[32];
    snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
    return text;
}
}  // namespace

// Each program must take the path it is named for, or one path would be tested twice.
TEST(DialogPath, FollowsTheProgramName) {
    char program[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    bool vista = strstr(program, "_vista") != nullptr;
    EXPECT_EQ(useAddressBook(), !vista) << program << " expected the " << (vista ? "Simple MAPI" : "address-book")
                                        << " path (Wine's AppDefaults Version for the program)";
}

TEST_F(SendMailDialog, CheckNamesShowsDisplayNamesAndTheTextsReachTheJobOnlyOnSend) {
    UXDResult rc = show([&](DialogDriver &d) {
        d.type(IDC_SUBJECT_BOX, "Quarterly figures");
        d.type(IDC_MESSAGE_BOX, "Attached.\r\nRegards");
        d.type(IDC_TO_BOX, "  Ann Archer ;; bob@example  ;");
        ShownBox box = d.press(IDC_CHECK_NAMES);
        EXPECT_FALSE(box.seen) << "expected no box, got " << box.describe();
        EXPECT_EQ(d.read(IDC_TO_BOX), "Ann Archer; Bob Carter");
        EXPECT_EQ(d.read(IDC_SUBJECT_BOX), "Quarterly figures");
        EXPECT_EQ(d.read(IDC_MESSAGE_BOX), "Attached.\r\nRegards");
        EXPECT_STREQ(job->subjectText, "") << "the subject is taken on Send";
        EXPECT_STREQ(job->messageText, "") << "the message is taken on Send";
        EXPECT_FALSE(d.press(IDOK).seen);
    });
    EXPECT_EQ(rc, UXD_SUCCESS);
    EXPECT_STREQ(job->subjectText, "Quarterly figures");
    EXPECT_STREQ(job->messageText, "Attached.\r\nRegards");
    EXPECT_STREQ(job->toText, "Ann Archer; Bob Carter");
    ASSERT_EQ(countRecipients(job->toList), 2u);
    EXPECT_EQ(job->toList->isResolved + job->toList->next->isResolved, 2u) << "both resolved";
    EXPECT_EQ(resolutions(), 2u) << "Send does not resolve the checked names again";
}

TEST_F(SendMailDialog, ToMustNameSomebodyOnSendButNotOnCheckNames) {
    const struct {
        const char *button;
        int id;
        bool box;
    } cases[] = {{"Send", IDOK, true}, {"Check Names", IDC_CHECK_NAMES, false}};
    for (const auto &c : cases) {
        freshJob();
        UXDResult rc = show([&](DialogDriver &d) {
            SCOPED_TRACE(c.button);
            d.type(IDC_CC_BOX, "Bob Carter");
            ShownBox box = d.press(c.id);
            EXPECT_EQ(box.seen, c.box) << "got " << box.describe();
            if (box.seen) {
                EXPECT_TRUE(box.shows(kToRequired)) << "expected \"" << kToRequired << "\", got " << box.describe();
                EXPECT_EQ(box.owner, d.dialog()) << "owned by the dialog";
                EXPECT_EQ(box.icon, LoadIcon(nullptr, IDI_HAND)) << "the error icon";
                EXPECT_EQ(box.caption, "Error") << "no caption of its own: the system's";
            }
            EXPECT_TRUE(d.isOpen()) << "the dialog stays open";
            EXPECT_EQ(d.read(IDC_CC_BOX), "Bob Carter");
            d.press(IDCANCEL);
        });
        EXPECT_EQ(rc, UXD_E_CANCELLED) << c.button;
    }
}

TEST_F(SendMailDialog, ANameThatMatchesNothingIsReportedAndSendKeepsTheDialogOpen) {
    const std::string expected = noMatchText("Ghost");
    UXDResult rc = show([&](DialogDriver &d) {
        d.type(IDC_TO_BOX, "Ghost");
        for (int button : {IDC_CHECK_NAMES, IDOK}) {
            SCOPED_TRACE(button == IDOK ? "Send" : "Check Names");
            ShownBox box = d.press(button);
            EXPECT_TRUE(box.shows(expected)) << "expected \"" << expected << "\", got " << box.describe();
            EXPECT_EQ(box.shown, 1) << "one box, not also the To box's";
            if (useAddressBook()) {
                EXPECT_EQ(box.caption, "MAPI Destination");
            } else {
                EXPECT_EQ(box.owner, d.dialog()) << "owned by the dialog";
                EXPECT_EQ(box.icon, LoadIcon(nullptr, IDI_HAND)) << "the error icon";
            }
            EXPECT_TRUE(d.isOpen()) << "the dialog stays open";
            EXPECT_EQ(d.read(IDC_TO_BOX), "Ghost") << "the typed name stays";
        }
        d.press(IDCANCEL);
    });
    EXPECT_EQ(rc, UXD_E_CANCELLED);
}

TEST_F(SendMailDialog, ANameResolvedBeforeIsNotResolvedAgainWhenRetypedInAnotherCase) {
    size_t before = 0;
    UXDResult rc = show([&](DialogDriver &d) {
        d.type(IDC_TO_BOX, "Ann Archer");
        EXPECT_FALSE(d.press(IDC_CHECK_NAMES).seen);
        before = resolutions();
        for (int button : {IDC_CHECK_NAMES, IDOK}) {
            SCOPED_TRACE(button == IDOK ? "Send" : "Check Names");
            d.type(IDC_TO_BOX, "ann archer");
            ShownBox box = d.press(button);
            EXPECT_FALSE(box.seen) << "got " << box.describe();
            EXPECT_EQ(resolutions(), before) << "no new resolution call in the log";
            if (button == IDC_CHECK_NAMES) {
                EXPECT_EQ(d.read(IDC_TO_BOX), "Ann Archer") << "the stored name";
            }
        }
    });
    EXPECT_EQ(rc, UXD_SUCCESS);
    EXPECT_EQ(before, 1u) << "the first Check Names resolves once";
    EXPECT_STREQ(job->toText, "Ann Archer");
    ASSERT_EQ(countRecipients(job->toList), 1u);
    EXPECT_STREQ(job->toList->name, "Ann Archer");
}

TEST_F(SendMailDialog, ANameTypedTwiceGivesTwoRecipients) {
    for (bool checkFirst : {false, true}) {
        SCOPED_TRACE(checkFirst ? "Check Names, then Send" : "Send at once");
        freshJob();
        UXDResult rc = show([&](DialogDriver &d) {
            d.type(IDC_TO_BOX, "Bob Carter; Bob Carter");
            if (checkFirst) {
                EXPECT_FALSE(d.press(IDC_CHECK_NAMES).seen);
            }
            EXPECT_FALSE(d.press(IDOK).seen);
        });
        EXPECT_EQ(rc, UXD_SUCCESS);
        EXPECT_EQ(countRecipients(job->toList), 2u);
        EXPECT_STREQ(job->toText, "Bob Carter; Bob Carter");
    }
}

TEST_F(SendMailDialog, AddressFillsToAndCcFromTheChoice) {
    const struct {
        const char *pick, *to, *cc;
        const char *wantTo, *wantCc;
        bool send;
    } cases[] = {
        {"Ann Archer:1,Bob Carter:2", "", "", "Ann Archer", "Bob Carter", true},
        {"Ann Archer:1,Bob Carter:2", "Ghost", "", "Ann Archer", "Bob Carter", false},  // unresolved, as typed
        {"cancel", "Ghost", "Anna Baker", "Ghost", "Anna Baker", false},
    };
    for (const auto &c : cases) {
        std::string trace = std::string("pick=") + c.pick + " To=\"" + c.to + "\" Cc=\"" + c.cc + "\"";
        SCOPED_TRACE(trace);
        freshJob();
        mail->set("address", "pick", c.pick);
        size_t before = resolutions();
        HWND dialog = nullptr;
        UXDResult rc = show([&](DialogDriver &d) {
            SCOPED_TRACE(trace);
            dialog = d.dialog();
            d.type(IDC_TO_BOX, c.to);
            d.type(IDC_CC_BOX, c.cc);
            ShownBox box = d.press(IDC_ADDRESS);
            EXPECT_FALSE(box.seen) << "Address shows no message; got " << box.describe();
            EXPECT_EQ(d.read(IDC_TO_BOX), c.wantTo);
            EXPECT_EQ(d.read(IDC_CC_BOX), c.wantCc);
            d.press(c.send ? IDOK : IDCANCEL);
        });
        EXPECT_EQ(rc, c.send ? UXD_SUCCESS : UXD_E_CANCELLED);
        EXPECT_EQ(resolutions(), before) << "Address resolves nothing, and chosen names need no resolution";
        size_t typed = (*c.to ? 1 : 0) + (*c.cc ? 1 : 0);
        std::string call = lastCall(useAddressBook() ? "Address" : "MAPIAddress");
        std::string head = useAddressBook() ? "Address flags=0x21 caption=\"Address Book\" destFields=2 entries=" +
                                                  std::to_string(typed)
                                            : "MAPIAddress session=0x";
        EXPECT_EQ(call.compare(0, head.size(), head), 0) << "expected \"" << head << "...\", got " << call;
        if (!useAddressBook()) {
            std::string fields = "ulUIParam=" + hex(dialog) + " caption=null editFields=2 labels=null recips=" +
                                 std::to_string(typed) + " flags=0x0";
            EXPECT_NE(call.find(fields), std::string::npos) << "expected " << fields << ", got " << call;
        }
        for (const char *name : {c.to, c.cc}) {
            if (*name) {
                EXPECT_NE(call.find(std::string("name=\"") + name + "\""), std::string::npos)
                    << name << " passed as typed; got " << call;
            }
        }
        if (c.send) {
            ASSERT_EQ(countRecipients(job->ccList), 1u);
            EXPECT_EQ(job->ccList->recipClass, static_cast<uint32_t>(MAPI_CC));
            EXPECT_STREQ(job->toText, c.wantTo);
        }
    }
}

TEST_F(SendMailDialog, SendEndsWithZeroAndEveryOtherWayOutWithSix) {
    const struct {
        const char *how;
        UXDResult code;
        std::function<void(DialogDriver &)> act;
    } cases[] = {
        {"Send", UXD_SUCCESS, [](DialogDriver &d) { d.press(IDOK); }},
        {"Cancel", UXD_E_CANCELLED, [](DialogDriver &d) { d.press(IDCANCEL); }},
        {"WM_CLOSE", UXD_E_CANCELLED, [](DialogDriver &d) { d.postAndWaitClosed(d.dialog(), WM_CLOSE, 0); }},
        {"Escape", UXD_E_CANCELLED,
         [](DialogDriver &d) { d.postAndWaitClosed(d.item(IDC_TO_BOX), WM_KEYDOWN, VK_ESCAPE, 0x00010001); }},
    };
    for (const auto &c : cases) {
        freshJob();
        UXDResult rc = show([&](DialogDriver &d) {
            d.type(IDC_TO_BOX, "Bob Carter");
            d.type(IDC_SUBJECT_BOX, "Report");
            d.type(IDC_MESSAGE_BOX, "Here it is.");
            c.act(d);
            EXPECT_TRUE(d.waitClosed(2000)) << c.how << " closes the dialog";
        });
        EXPECT_EQ(rc, c.code) << c.how;
        EXPECT_STREQ(job->subjectText, c.code == UXD_SUCCESS ? "Report" : "") << c.how;
        EXPECT_STREQ(job->messageText, c.code == UXD_SUCCESS ? "Here it is." : "") << c.how;
    }
}

TEST_F(SendMailDialog, ComesInTheJobsLanguage) {
    const struct {
        uint32_t language;
        const char *caption, *send, *address;
    } cases[] = {{0x0409, "Send Mail", "&Send", "A&ddress"}, {0x0407, "E-Mail senden", "&Senden", "A&dressbuch"}};
    for (const auto &c : cases) {
        freshJob(c.language);
        UXDResult rc = show([&](DialogDriver &d) {
            SCOPED_TRACE(c.caption);
            EXPECT_EQ(d.caption(), c.caption);
            EXPECT_EQ(d.read(IDOK), c.send);
            EXPECT_EQ(d.read(IDC_ADDRESS), c.address);
            d.press(IDCANCEL);
        });
        EXPECT_EQ(rc, UXD_E_CANCELLED);
    }
}

TEST_F(SendMailDialog, IsDrawnWithItsControlsAndSavedAsAPicture) {
    std::string path = binFile(useAddressBook() ? "send_mail_dialog.bmp" : "send_mail_dialog_vista.bmp");
    size_t colours = 0;
    UXDResult rc = show([&](DialogDriver &d) {
        d.type(IDC_TO_BOX, "Ann Archer; bob@example");
        d.type(IDC_CC_BOX, "Anna Baker");
        d.type(IDC_SUBJECT_BOX, "Monthly sales report");
        d.type(IDC_MESSAGE_BOX, "The report is attached.\r\n\r\nRegards");
        EXPECT_FALSE(d.press(IDC_CHECK_NAMES).seen);
        colours = d.saveBitmap(path);
        d.press(IDCANCEL);
    });
    EXPECT_EQ(rc, UXD_E_CANCELLED);
    EXPECT_GT(colours, 2u) << "expected a picture of text and controls in " << path << ", got " << colours
                           << " colours";
    RecordProperty("screenshot", path);
}
