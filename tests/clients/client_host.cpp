// One mail sent the way a host sends it, in a process of its own: MAPI32.DLL reads the
// mail-client registration once per process, so each setup of the client matrix needs a fresh
// one. The plug-in is loaded from this program's folder.
//   client_host PATH FOLDER   PATH: names, table, block, check-names or address; the mail
//                             carries FOLDER's a.txt and b.txt, block reads FOLDER's options.bin
//   client_host save FOLDER   the names path's options, resolved, stored as FOLDER's options.bin
// Prints what the plug-in said and the texts of every box the user was shown; the exit status
// is the plug-in's code.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "export_files.h"
#include "options_builder.h"
#include "plugin.h"
#include "resource_ids.h"
#include "test_paths.h"

namespace {

using dialog_driver::Driver;

// Recipients a host kept from an earlier send: names, addresses and entry identifiers.
std::vector<UXDRecipDesc> hostTable() {
    static unsigned char ann[] = {0xA1, 0xA2, 0xA3, 0xA4}, bob[] = {0xC1, 0xC2, 0xC3, 0xC4};
    return {{0, 1, const_cast<char *>("Ann Archer"), const_cast<char *>("SMTP:ann@example.com"), 4, ann},
            {0, 2, const_cast<char *>("Bob Carter"), const_cast<char *>("SMTP:bob@example.com"), 4, bob}};
}

// The user of the Send Mail dialog: fills it in, clicks `command` (Check Names or Address), then
// Send; every box shown is printed and closed.
void fillInAndSend(Driver &d, int command) {
    d.type(IDC_TO_BOX, "Ann Archer");
    if (command == IDC_CHECK_NAMES) d.type(IDC_CC_BOX, "Bob Carter");
    d.type(IDC_SUBJECT_BOX, "Monthly report"), d.type(IDC_MESSAGE_BOX, "Attached.");
    for (int button : {command, int(IDOK)})
        for (const std::string &text : d.press(button))
            if (text != "OK") std::printf("box: %s\n", text.c_str());
    for (DWORD waited = 0; d.isOpen() && waited < 2000; waited += dialog_driver::kPollMs) Sleep(dialog_driver::kPollMs);
    if (d.isOpen()) std::printf("the dialog stayed open after Send\n");
    for (int button : d.stuck) std::printf("button %d was still being handled after 10 s\n", button);
}

// Sets the job up as PATH says, sends the two files (or stores the options) and ends the job.
int sendOnce(Plugin &plugin, const std::string &path, const std::string &folder) {
    const bool save = path == "save";
    ExportFiles files({folder + "a.txt", folder + "b.txt"}, 0x0400);
    MailTexts texts;
    texts.to = "Ann Archer", texts.cc = "Bob Carter", texts.subject = "Monthly report", texts.message = "Attached.";
    MAPIDestinationOptions options = ansiOptions(texts);
    std::vector<UXDRecipDesc> table = hostTable();
    std::string block;
    const void *given = &options;
    if (path == "table") options.nRecipients = uint16_t(table.size()), options.recipients = table.data();
    if (path == "block" && (block = readFile(folder + "options.bin")).size() < sizeof(UXDEncodedOptionsHeader))
        return std::fprintf(stderr, "no block in %soptions.bin\n", folder.c_str()), 66;
    if (path == "block") given = block.data();
    bool dialog = path == "check-names" || path == "address";
    if (dialog) given = nullptr;

    void *job = nullptr;
    UXDJobInfo *info = nullptr;
    UXDResult rc;
    {
        Driver driver([&](Driver &d) { fillInAndSend(d, path == "address" ? IDC_ADDRESS : IDC_CHECK_NAMES); });
        if (!dialog) driver.noDialog = true;
        rc = plugin.initExportDestination(nullptr, 0, static_cast<const MAPIDestinationOptions *>(given),
                                          &files.record(), &job, &info);
        driver.noDialog = true;
        driver.thread_.join();
    }
    std::printf("UXDInitExportDestination: %d %s\n", rc, job ? "" : plugin.getErrorText(nullptr));
    if (rc != UXD_SUCCESS) return rc;
    void *encoded = nullptr;
    uint16_t size = 0;
    if (save && (rc = plugin.encodeDestinationOptions(job, &encoded, &size)) == UXD_SUCCESS)
        std::ofstream(folder + "options.bin", std::ios::binary).write(static_cast<const char *>(encoded), size);
    if (!save) rc = plugin.exportToDestination(job, &files.request());
    std::printf("%s: %d %s\n", save ? "UXDEncodeDestinationOptions" : "UXDExportToDestination", rc, plugin.getErrorText(job));
    plugin.termExportDestination(job, 0);
    return rc;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) return std::fprintf(stderr, "usage: client_host PATH|save FOLDER\n"), 64;
    int status = runWithPlugin(defaultPluginPath(), [&](Plugin &plugin) { return sendOnce(plugin, argv[1], argv[2]); });
    std::fflush(stdout);
    return status;
}
