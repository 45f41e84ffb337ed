// Error lines on standard error and the exit status that goes with them.
#include "report.h"

#include <cstdio>

#include "console_text.h"
#include "explanations.h"
#include "plugin.h"
#include "usage.h"

const char *codeMeaning(int code) {
    switch (code) {
    case UXD_SUCCESS: return "success";
    case UXD_E_NOT_SUPPORTED: return "not supported by the mail system";
    case UXD_E_OUT_OF_MEMORY: return "memory exhausted";
    case UXD_E_DISK_FULL: return "disk full";
    case UXD_E_INVALID_ARGUMENT: return "missing or invalid argument";
    case UXD_E_CANCELLED: return "cancelled by the user";
    case UXD_E_MAIL_UNAVAILABLE: return "mail services unavailable";
    case kUsageError: return "usage error";
    default: return "failure";
    }
}

int reportFailure(const std::string &what, int code, const char *text) {
    std::string line = "uxdsend: " + what + " failed with code " + std::to_string(code) + " (" + codeMeaning(code) + ")";
    if (text && *text) line += std::string(": ") + text;
    std::string advice = explainFailure(code, text);
    if (!advice.empty()) line += "\nuxdsend: " + advice;
    writeText(stderr, line + "\n");
    return code;
}

int reportModuleFailure(const Plugin &plugin, const char *what, UXDResult code, void *job) {
    return reportFailure(what, code, plugin.getErrorText(job));
}

int usageError(const std::string &text) {
    writeText(stderr, "uxdsend: " + text + "\n");  // it may quote a word of the user's, in any letters
    printSynopsis(stderr);
    std::fputs("(uxdsend --help explains every option)\n", stderr);
    return kUsageError;
}
