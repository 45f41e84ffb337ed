// Every allocation of a host's silent paths fails in turn: setup by names, by a pointer-form
// table and by a flat block; encode; decode; export, delivered and refused. Each run gives 2
// or an allowed degradation, leaves nothing behind, and a mail that goes out after a 0 goes to
// the host's recipients at the host's addresses with the host's texts. Run on both resolution
// paths (jobs_tests, _vista).
#include <fstream>

#include "address_book.h"
#include "allocation_sweep.h"
#include "mail_fixture.h"
#include "record_content.h"

using namespace uxd;
using namespace uxd_test;

namespace {
const char kAddressBookCopyFailed[] = "Error 2147500037 returned by function <MAPIResolveName>.";

class Sweep : public MailTest {
protected:
    void SetUp() override {
        MailTest::SetUp();
        path = mail->folder() + "x7.tmp";  // a name of its own: a mail without display names shows it
        std::ofstream(path, std::ios::binary) << "%PDF-1.4 figures";
        paths[0] = path.c_str();
        request.fileCount = 1, request.filePaths = paths;
        record = host.with({&file});
        names.structSize = table.structSize = 70;
        names.toNames = text("Ann Archer; Bob Carter"), names.ccNames = text("Anna Baker");
        setTable(table, rows, 3);
        for (MAPIDestinationOptions *o : {&names, &table})
            o->subject = text("Sales, Q1"), o->message = text("The figures."), o->password = text(kSweptPassword);
    }

    // Sets a job up from `options` (unarmed unless the run is armed by the caller).
    UXDResult init(const MAPIDestinationOptions *options, void *&job) {
        UXDJobInfo *info = nullptr;
        job = nullptr;
        return UXDInitExportDestination(nullptr, 0, options, record, &job, &info);
    }
    // A job's text lost its own allocation when the spare buffer took it.
    void checkJob(SweepOutcome &outcome, void *job) const {
        if (job && static_cast<MAPIDestination *>(job)->errorText == nullptr)
            outcome.seen.insert(Degradation::SpareErrorText);
    }
    void checkFailure(SweepOutcome &outcome, const char *errorText) const {
        if (outcome.code == UXD_E_FAILURE && useAddressBook() && std::string(errorText) == kAddressBookCopyFailed)
            outcome.seen.insert(Degradation::AddressBookCopyFailed);
        outcome.expect(mail->sent().empty(), "a mail went out although the call failed");
    }
    // Sends with the job unarmed and checks the one mail against the host's.
    void sendAndCheck(SweepOutcome &outcome, void *job, const SentMail &expected) {
        UXDResult sent = UXDExportToDestination(job, &request);
        outcome.expect(sent == UXD_SUCCESS, "the send after it gave " + std::to_string(sent) + ": " +
                                                UXDGetErrorText(job));
        judgeMail(outcome, expected);
    }
    void judgeMail(SweepOutcome &outcome, const SentMail &expected) const {
        std::vector<SentMail> sent = mail->sent();
        if (sent.size() != 1) return outcome.expect(false, std::to_string(sent.size()) + " mails instead of one");
        SentMail got = sent[0];
        if (got.attachments == std::vector<std::string>{"x7.tmp"}) {
            outcome.seen.insert(Degradation::AttachmentUnnamed);
            got.attachments = expected.attachments;
        }
        outcome.expect(got == expected, "sent " + describe(sent[0]) + ", the host's is " + describe(expected));
    }
    // What every run must show: the mail system's buffers and objects back.
    void finish(SweepOutcome &outcome, void *job) const {
        UXDTermExportDestination(job, 0);
        outcome.expect(mail->outstandingBuffers() == 0, "MAPI buffers left");
        outcome.expect(mail->outstandingObjects() == 0, "Extended MAPI objects left");
        mail->clearOutbox();
    }

    // A silent setup from `options`, then the send.
    SweepOutcome setupThenSend(SweepRun &run, const MAPIDestinationOptions *options, const SentMail &expected) {
        SweepOutcome outcome;
        void *job = nullptr;
        run.arm();
        outcome.code = init(options, job);
        run.disarm();
        checkJob(outcome, job);
        if (outcome.code == UXD_SUCCESS) sendAndCheck(outcome, job, expected);
        else checkFailure(outcome, UXDGetErrorText(nullptr));
        finish(outcome, job);
        return outcome;
    }

    UXDExportFile file = exportFile(1, "C:\\reports\\Sales Q1.pdf");
    const UXDExportRecord *record = nullptr;
    std::string path;
    const char *paths[1] = {};
    UXDExportRequest request = {};
    MAPIDestinationOptions names = {}, table = {};
    // The host's own resolved recipients, and one bare name to resolve when sent.
    MapiRecipDesc rows[3] = {recipient(MAPI_TO, "Ann Archer", "SMTP:ann@example.com"),
                             recipient(MAPI_TO, "Bob", "SMTP:bob.external@partner.example"), recipient(MAPI_CC, "Anna Baker")};
    const SentMail byNames = {"Ann Archer <ann@example.com>, Bob Carter <bob@example.com>",
                              "Anna Baker <anna@example.com>", "Sales, Q1", "The figures. ", {"Sales Q1.pdf"}};
    const SentMail byTable = {"Ann Archer <ann@example.com>, Bob <bob.external@partner.example>",
                              "Anna Baker <anna@example.com>", "Sales, Q1", "The figures. ", {"Sales Q1.pdf"}};
    const std::set<Degradation> kSilent = {Degradation::AttachmentUnnamed, Degradation::SpareErrorText,
                                           Degradation::AddressBookCopyFailed};
};
}  // namespace

TEST_F(Sweep, SetupByNamesByTableAndByFlatBlock) {
    // The host's external Bob alone: the case that once went to the address book's "Bob".
    MAPIDestinationOptions bob = table;
    setTable(bob, &rows[1], 1);
    const SentMail toBob = {"Bob <bob.external@partner.example>", "", "Sales, Q1", "The figures. ", {"Sales Q1.pdf"}};
    void *job = nullptr;
    ASSERT_EQ(init(&table, job), UXD_SUCCESS);
    void *block = nullptr;
    uint16_t size = 0;
    ASSERT_EQ(UXDEncodeDestinationOptions(job, &block, &size), UXD_SUCCESS);
    std::vector<unsigned char> stored(static_cast<unsigned char *>(block), static_cast<unsigned char *>(block) + size);
    UXDTermExportDestination(job, 0);
    const auto *flat = reinterpret_cast<const MAPIDestinationOptions *>(stored.data());
    const struct { const char *path; const MAPIDestinationOptions *options; const SentMail &mail; } cases[] = {
        {"setup by names", &names, byNames},
        {"setup by a pointer-form table", &table, byTable},
        {"setup by a flat block", flat, byTable},
        {"setup by a table of the external Bob", &bob, toBob},
    };
    for (const auto &c : cases)
        EXPECT_EQ(sweepAllocations(c.path, kSilent, [&](SweepRun &run) { return setupThenSend(run, c.options, c.mail); }), 0u);
}

TEST_F(Sweep, EncodeDecodeAndExport) {
    std::optional<Content> cleanRecord;
    auto onReadyJob = [&](SweepRun &run, auto &&armedCall) {
        SweepOutcome outcome;
        void *job = nullptr;
        outcome.expect(init(&table, job) == UXD_SUCCESS, "the job could not be set up");
        run.arm();
        outcome.code = armedCall(job, outcome, run);  // disarms right after its own call
        checkJob(outcome, job);
        if (outcome.code != UXD_SUCCESS) checkFailure(outcome, UXDGetErrorText(job));
        finish(outcome, job);
        return outcome;
    };
    // A block encoded while an allocation failed must set up the same mail again.
    auto encode = [&](void *job, SweepOutcome &outcome, SweepRun &run) {
        void *block = nullptr;
        uint16_t size = 0;
        UXDResult rc = UXDEncodeDestinationOptions(job, &block, &size);
        run.disarm();
        if (rc != UXD_SUCCESS) return rc;
        std::vector<unsigned char> stored(static_cast<unsigned char *>(block), static_cast<unsigned char *>(block) + size);
        void *again = nullptr;
        outcome.expect(init(reinterpret_cast<MAPIDestinationOptions *>(stored.data()), again) == UXD_SUCCESS,
                       "the encoded block does not set a job up");
        if (again) sendAndCheck(outcome, again, byTable);
        UXDTermExportDestination(again, 0);
        return rc;
    };
    // A decoded record is the job's options, a string perhaps missing; the job sends as before.
    auto decode = [&](void *job, SweepOutcome &outcome, SweepRun &run) {
        MAPIDestinationOptions *got = nullptr;
        UXDResult rc = UXDDecodeDestinationOptions(job, &got);
        run.disarm();
        const Content content = contentOf(got, TextWidth::Ansi);
        UXDFreeDestinationOptions(0, got);
        if (rc != UXD_SUCCESS) return rc;
        if (!cleanRecord) cleanRecord = content;  // the clean run comes first
        int lost = 0;
        const std::string difference = differenceOf(*cleanRecord, content, TextMatch::Exact, true, lost);
        outcome.expect(difference.empty(), "the decoded record differs from the clean run's: " + difference);
        if (lost) outcome.seen.insert(Degradation::DecodedStringMissing);
        sendAndCheck(outcome, job, byTable);
        return rc;
    };
    // A send the mail system refuses must give its explanation even when no copy of it can be
    // made (the address book's failure is a degradation of its own).
    auto send = [&](void *job, SweepOutcome &outcome, SweepRun &run) {
        UXDResult rc = UXDExportToDestination(job, &request);
        run.disarm();
        const std::string text = UXDGetErrorText(job);
        if (rc == UXD_SUCCESS) judgeMail(outcome, byTable);
        else if (rc == UXD_E_FAILURE && text != kAddressBookCopyFailed)
            outcome.expect(text == "Error 2 returned by function <MAPISendMail>.", "the error text is \"" + text + "\"");
        return rc;
    };
    EXPECT_EQ(sweepAllocations("encode", kSilent, [&](SweepRun &run) { return onReadyJob(run, encode); }), 0u);
    std::set<Degradation> decoding = kSilent;
    decoding.insert(Degradation::DecodedStringMissing);
    EXPECT_EQ(sweepAllocations("decode", decoding, [&](SweepRun &run) { return onReadyJob(run, decode); }), 0u);
    EXPECT_EQ(sweepAllocations("export", kSilent, [&](SweepRun &run) { return onReadyJob(run, send); }), 0u);
    auto refused = [&](void *job, SweepOutcome &outcome, SweepRun &run) {
        mail->set("results", "MAPISendMail", "2");  // its first call in each run
        return send(job, outcome, run);
    };
    EXPECT_EQ(sweepAllocations("refused send", kSilent, [&](SweepRun &run) { return onReadyJob(run, refused); },
                               UXD_E_FAILURE), 0u);
}
