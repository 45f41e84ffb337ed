// `uxdsend check`: the machine's checks in the order a send meets them, then, with --name, a
// job set up through the plug-in to see what the name resolves to; see check_command.h.
#include "check_command.h"

#include "check_probes.h"
#include "command_line.h"
#include "explanations.h"
#include "options_builder.h"
#include "plugin.h"
#include "report.h"

namespace {

// Ends the plug-in's start and its job however the check is left.
class PluginSession {
public:
    explicit PluginSession(Plugin &plugin) : plugin_(plugin) {}
    ~PluginSession() {
        if (job) plugin_.termExportDestination(job, 0);
        if (started_) plugin_.terminate();
    }
    PluginSession(const PluginSession &) = delete;
    PluginSession &operator=(const PluginSession &) = delete;
    UXDResult start() { return started_ = true, plugin_.initialize(0); }  // counted even when it fails
    void *job = nullptr;

private:
    Plugin &plugin_;
    bool started_ = false;
};

void failedInPlugin(Findings &findings, const std::string &topic, const char *what, int code, const char *text) {
    std::string found = std::string(what) + " failed with code " + std::to_string(code) + " (" + codeMeaning(code) + ")";
    if (text && *text) found += ": " + std::string(text);
    std::string advice = explainFailure(code, text);
    findings.problem(topic, found, advice.empty() ? "see the lines above" : advice, code);
}

// The job a silent send would set up, with the name as its To text; what the job then holds
// as its To text is what the name resolved to.
void resolveThroughPlugin(Findings &findings, const std::string &pluginPath, const CheckArguments &arguments) {
    const std::string topic = "name \"" + *arguments.name + "\"";
    Plugin plugin;
    std::string reason;
    if (!plugin.load(pluginPath, reason)) return findings.problem(topic, reason, "put uxdmapi.dll beside uxdsend.exe", UXD_E_MAIL_UNAVAILABLE);
    PluginSession session(plugin);
    UXDResult rc = session.start();
    if (rc != UXD_SUCCESS) return failedInPlugin(findings, topic, "UXDInitialize", rc, plugin.getErrorText(nullptr));
    MailTexts texts;
    texts.to = *arguments.name, texts.profile = arguments.profile, texts.password = arguments.password;
    MAPIDestinationOptions options = ansiOptions(texts);
    UXDExportRecord record = {};
    record.structSize = sizeof record;  // no files; no logon window, as for an unattended send
    record.language = 0x0400;
    UXDJobInfo *info = nullptr;
    rc = plugin.initExportDestination(nullptr, 0, &options, &record, &session.job, &info);
    if (rc != UXD_SUCCESS) return failedInPlugin(findings, topic, "UXDInitExportDestination", rc, plugin.getErrorText(nullptr));
    PluginRecord decoded(plugin);
    rc = plugin.decodeDestinationOptions(session.job, &decoded.record);
    if (rc != UXD_SUCCESS) return failedInPlugin(findings, topic, "UXDDecodeDestinationOptions", rc, plugin.getErrorText(session.job));
    const char *to = decoded.record->toNames ? decoded.record->toNames : "";
    findings.ok(topic, std::string("resolved by the plug-in to \"") + to + "\"");
}

}  // namespace

int checkCommand(const std::string &pluginPath, const std::vector<std::string> &words) {
    CheckArguments arguments;
    std::string error;
    if (!parseCheckArguments(words, arguments, error)) return usageError(error);
    Findings findings;
    MailSetup setup;
    checkWinIni(findings, setup);
    checkWindowsVersion(findings, setup);
    checkMailClient(findings, setup);
    checkMapi32(findings, setup, arguments.profile, arguments.password);
    // The plug-in reads the registration as check does, and refuses without a mail call where
    // there is no client: it is safe to ask, and its own answer is the one a send meets.
    if (arguments.name) resolveThroughPlugin(findings, pluginPath, arguments);
    findings.print(stdout);
    return findings.status();
}
