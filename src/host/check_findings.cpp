// Printing the findings of `uxdsend check`; see check_findings.h.
#include "check_findings.h"

#include "console_text.h"
#include "report.h"

namespace {
const char *word(Verdict verdict) {
    switch (verdict) {
    case Verdict::Ok: return "ok";
    case Verdict::Warning: return "warning";
    default: return "problem";
    }
}
}  // namespace

int Findings::status() const {
    for (const Finding &finding : list_)
        if (finding.code) return finding.code;
    return 0;
}

void Findings::print(std::FILE *to) const {
    for (const Finding &finding : list_) {
        std::string line = word(finding.verdict);
        line.resize(9, ' ');  // the topics line up after the longest verdict
        line += finding.topic + ": " + finding.found;
        if (!finding.remedy.empty()) line += " -- to do: " + finding.remedy;
        writeText(to, line + "\n");
    }
    int code = status();
    writeText(to, code ? "a silent send would fail with code " + std::to_string(code) + " (" + codeMeaning(code) + ")\n"
                       : std::string("a silent send can work\n"));
}
