// `uxdsend send`: checks the command line and the files first, so that nothing is sent when
// something is wrong, then UXDInitExportDestination, UXDEncodeDestinationOptions for
// --save-options, UXDExportToDestination and UXDTermExportDestination.
#include "send_command.h"

#include "command_line.h"
#include "export_files.h"
#include "options_builder.h"
#include "options_file.h"
#include "plugin.h"
#include "report.h"

namespace {

// What UXDInitExportDestination is given; it stays alive until the job is over.
class JobOptions {
public:
    explicit JobOptions(const Plugin &plugin) : plugin_(plugin), converted_(plugin) {}
    JobOptions(const JobOptions &) = delete;
    JobOptions &operator=(const JobOptions &) = delete;

    // Returns a UXD code; a failure is reported on standard error.
    int prepare(const SendArguments &arguments, const std::vector<unsigned char> &saved);
    const MAPIDestinationOptions *get() const { return options_; }  // null: the Send Mail dialog

private:
    int convertWide(const MailTexts &texts);

    const Plugin &plugin_;
    MAPIDestinationOptions ansi_{};
    WideMailTexts wideTexts_;
    MAPIDestinationOptionsW wide_{};
    PluginRecord converted_;  // the plug-in's conversion of wide_
    const MAPIDestinationOptions *options_ = nullptr;
};

int JobOptions::prepare(const SendArguments &arguments, const std::vector<unsigned char> &saved) {
    if (arguments.dialog) return UXD_SUCCESS;
    if (!saved.empty()) {
        options_ = reinterpret_cast<const MAPIDestinationOptions *>(saved.data());  // the flat form
        return UXD_SUCCESS;
    }
    if (arguments.wide) return convertWide(arguments.texts);
    ansi_ = ansiOptions(arguments.texts);
    options_ = &ansi_;
    return UXD_SUCCESS;
}

// The UTF-16 record goes through the plug-in's own conversion, as a Unicode host's would.
int JobOptions::convertWide(const MailTexts &texts) {
    std::string error;
    if (!widen(texts, wideTexts_, error)) return reportFailure("--wide", UXD_E_INVALID_ARGUMENT, error.c_str());
    wide_ = wideOptions(wideTexts_);
    uint16_t size = 0;
    UXDResult rc = plugin_.destinationOptionsW2A(&wide_, &converted_.record, &size);
    if (rc != UXD_SUCCESS) return reportFailure("converting the texts (UXDDestinationOptionsW2A)", rc, nullptr);
    options_ = converted_.record;
    return UXD_SUCCESS;
}

// Ends the job however the send is left.
class Job {
public:
    explicit Job(const Plugin &plugin) : plugin_(plugin) {}
    ~Job() {
        if (handle) plugin_.termExportDestination(handle, 0);
    }
    Job(const Job &) = delete;
    Job &operator=(const Job &) = delete;

    void *handle = nullptr;
    UXDJobInfo *info = nullptr;

private:
    const Plugin &plugin_;
};

int saveOptions(const Plugin &plugin, void *job, const std::string &path) {
    void *block = nullptr;  // the job's own: not freed here
    uint16_t size = 0;
    UXDResult rc = plugin.encodeDestinationOptions(job, &block, &size);
    if (rc != UXD_SUCCESS)
        return reportModuleFailure(plugin, "saving the options (UXDEncodeDestinationOptions)", rc, job);
    std::string error;
    int written = writeOptionsFile(path, block, size, error);
    return written == UXD_SUCCESS ? written : reportFailure("saving the options (--save-options)", written, error.c_str());
}

int deliver(Plugin &plugin, const SendArguments &arguments, const std::vector<unsigned char> &saved) {
    JobOptions options(plugin);
    int rc = options.prepare(arguments, saved);
    if (rc != UXD_SUCCESS) return rc;
    ExportFiles files(arguments.files, arguments.language);
    Job job(plugin);
    rc = plugin.initExportDestination(nullptr, 0, options.get(), &files.record(), &job.handle, &job.info);
    if (rc != UXD_SUCCESS)
        return reportModuleFailure(plugin, "setting up the mail (UXDInitExportDestination)", rc, nullptr);
    if (!arguments.saveOptionsFile.empty()) {
        rc = saveOptions(plugin, job.handle, arguments.saveOptionsFile);
        if (rc != UXD_SUCCESS) return rc;
    }
    rc = plugin.exportToDestination(job.handle, &files.request());
    if (rc != UXD_SUCCESS)
        return reportModuleFailure(plugin, "sending the mail (UXDExportToDestination)", rc, job.handle);
    return UXD_SUCCESS;
}

}  // namespace

int sendCommand(const std::string &pluginPath, const std::vector<std::string> &words) {
    SendArguments arguments;
    std::string error;
    if (!parseSendArguments(words, arguments, error)) return usageError(error);
    if (const std::string *missing = firstMissingFile(arguments.files))
        return reportFailure("send", UXD_E_INVALID_ARGUMENT, ("no such file: " + *missing).c_str());
    std::vector<unsigned char> saved;
    if (!arguments.optionsFile.empty()) {
        int rc = readOptionsFile(arguments.optionsFile, saved, error);
        if (rc != UXD_SUCCESS) return reportFailure("reading the options (--options)", rc, error.c_str());
    }
    return runWithPlugin(pluginPath, [&](Plugin &plugin) { return deliver(plugin, arguments, saved); });
}
