// Sending the export: the message text and its blank, one attachment per file at the same
// position under the job's names, recipients resolved on the way, and every MAPI result.
#include <fstream>

#include "mail_fixture.h"
#include "recipient.h"

using namespace uxd;

namespace {
class Export : public MailTest {
protected:
    void setUp(std::vector<const UXDExportFile *> files, const char *to = "Ann Archer") {
        MAPIDestinationOptions options = {};
        options.structSize = 70, options.toNames = text(to);
        ASSERT_EQ(setUpJob(&options, std::move(files)), UXD_SUCCESS);
    }
    // Sends `fileCount` paths to one small file: the mail system reads what it attaches.
    UXDResult send(size_t fileCount) {
        std::string path = mail->folder() + "export.tmp";
        std::ofstream(path, std::ios::binary) << "data";
        std::vector<const char *> paths(fileCount, path.c_str());
        UXDExportRequest request = {};
        request.fileCount = static_cast<uint16_t>(fileCount);
        request.filePaths = paths.data();
        return UXDExportToDestination(ready.get(), &request);
    }
};
}  // namespace

TEST_F(Export, ThreeFilesGoAtTheAppendedBlankUnderTheJobsNames) {
    const UXDExportFile pdf = exportFile(1, "C:\\out\\q3.pdf"), csv = exportFile(1, "q3.csv");
    setUp({&pdf, &csv, nullptr});
    ASSERT_EQ(send(3), UXD_SUCCESS);
    EXPECT_STREQ(ready->messageText, " ") << "an empty message becomes one blank";
    std::vector<std::string> files = mail->calls("  file");
    ASSERT_EQ(files.size(), 3u);
    const char *names[] = {"q3.pdf", "q3.csv", "untitled.txt"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NE(files[i].find("position=0 "), std::string::npos) << files[i];
        EXPECT_NE(files[i].find(std::string("name=\"") + names[i] + "\""), std::string::npos) << files[i];
    }
    EXPECT_EQ(mail->outboxFiles().size(), 1u);
}

TEST_F(Export, EachSendAppendsABlankAndSendsAnotherMailOnceItsNamesResolve) {
    setUp({}, nullptr);  // no recipients either: what the mail system says decides
    strcpy(ready->messageText, "Hello");
    ASSERT_EQ(send(0), UXD_SUCCESS);
    ASSERT_EQ(send(0), UXD_SUCCESS);
    EXPECT_STREQ(ready->messageText, "Hello  ");
    EXPECT_EQ(mail->outboxFiles().size(), 2u);
    EXPECT_EQ(mail->calls("  file").size() + mail->calls("  recip").size(), 0u) << "no attachments, no recipients";

    // A bare name is resolved before sending: nothing goes out with an unknown one.
    MapiRecipDesc bare = recipient(MAPI_CC, "Ghost");
    setRecipientsFromTable(ready.get(), 1, &bare);
    EXPECT_EQ(send(0), UXD_E_FAILURE);
    EXPECT_EQ(mail->calls("MAPISendMail").size(), 2u) << "the unknown name was sent to";
}

TEST_F(Export, MailSystemResultsBecomeCodes) {
    setUp({});
    const struct { const char *result; UXDResult code; const char *text; } cases[] = {
        {"1", UXD_E_CANCELLED, ""}, {"4", UXD_E_DISK_FULL, ""}, {"5", UXD_E_OUT_OF_MEMORY, ""},
        {"26", UXD_E_NOT_SUPPORTED, ""}, {"2", UXD_E_FAILURE, "Error 2 returned by function <MAPISendMail>."},
        {"0", UXD_SUCCESS, ""}};
    for (const auto &c : cases) {  // the cursor put back: the wait cursor tests
        SCOPED_TRACE(std::string("MAPISendMail gives ") + c.result);
        mail->set("results", "MAPISendMail", c.result);
        EXPECT_EQ(send(0), c.code);
        EXPECT_STREQ(UXDGetErrorText(ready.get()), c.text);
    }
}
