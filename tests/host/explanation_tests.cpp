// The line uxdsend adds under a well-known failure: found by the code alone, or by the MAPI
// result that the plug-in's error text names in whatever language.
#include <gtest/gtest.h>

#include "explanations.h"
#include "uxdmapi.h"

TEST(Explanations, WellKnownFailuresAreExplainedAndOthersLeftAlone) {
    const struct { int code; const char *text; const char *expected; } cases[] = {
        {UXD_E_FAILURE, "Error 2147746063 returned by function <MAPIResolveName>.", "0x8004010F: no address-book entry"},
        {UXD_E_FAILURE, "Fehler 2147747584 wurde von der Funktion <MAPIResolveName> zur\xFC" "ckgegeben.",
         "0x80040700: several address-book entries"},
        // Code page 932: no byte of a double-byte character is a digit.
        {UXD_E_FAILURE, "\x83G\x83\x89\x81[ 2147500037 \x82\xAA\x8A\xD6\x90\x94 <MAPIResolveName> \x82\xA9\x82\xE7",
         "0x80004005: on Windows 7 and later"},
        {UXD_E_FAILURE, "Error 127 returned by function <MAPIResolveName>.", "no Extended MAPI"},
        {UXD_E_FAILURE, "Error 11 returned by function <MAPISendMail>.", "did not find an attached file"},
        {UXD_E_FAILURE, "Error 2 returned by function <MAPILogon>.", "failed without saying why"},
        {UXD_E_MAIL_UNAVAILABLE, "", "mail is switched off in WIN.INI"},
        {UXD_E_MAIL_UNAVAILABLE, nullptr, "mail is switched off in WIN.INI"},
        {UXD_E_NOT_SUPPORTED, "", "does not do what was asked"},
        // A recipient's name is no function, whatever digits it holds.
        {UXD_E_FAILURE, "No match could be found for <Room 21>.", ""},
        {UXD_E_FAILURE, "Error 99 returned by function <MAPILogon>.", ""},     // not a well-known result
        {UXD_E_FAILURE, "Error 99999999999 returned by function <MAPILogon>.", ""},
        {UXD_E_FAILURE, "Couldn't load <MAPI.DLL>.", ""},
        {UXD_E_CANCELLED, "", ""},
        {UXD_E_INVALID_ARGUMENT, "no such file: 14 <MAPISendMail>", ""},  // a number only counts in a -1 text
    };
    for (const auto &c : cases) {
        std::string got = explainFailure(c.code, c.text);
        if (!*c.expected) {
            EXPECT_EQ(got, "") << "code " << c.code << ", text \"" << (c.text ? c.text : "(null)") << "\"";
        } else {
            EXPECT_NE(got.find(c.expected), std::string::npos)
                << "code " << c.code << ", text \"" << (c.text ? c.text : "(null)") << "\": expected \"" << c.expected
                << "\" in \"" << got << "\"";
        }
    }
}
