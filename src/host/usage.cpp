// The help of uxdsend: every command and option, the exit statuses and an example.
#include "usage.h"

namespace {

const char kSynopsis[] =
    "usage: uxdsend [--plugin PATH] list [--lang ID]\n"
    "       uxdsend [--plugin PATH] version\n"
    "       uxdsend [--plugin PATH] check [--profile NAME] [--password TEXT] [--name NAME]\n"
    "       uxdsend [--plugin PATH] send [--to NAMES] [--cc NAMES] [--bcc NAMES] [--subject TEXT]\n"
    "                                    [--message TEXT] [--profile NAME] [--password TEXT]\n"
    "                                    [--wide] [--lang ID] [--save-options FILE] FILE...\n"
    "       uxdsend [--plugin PATH] send --dialog [--lang ID] [--save-options FILE] FILE...\n"
    "       uxdsend [--plugin PATH] send --options FILE [--lang ID] [--save-options FILE] FILE...\n"
    "       uxdsend --help\n";

const char kDetails[] =
    "\n"
    "Drives the uxdmapi mail export destination (uxdmapi.dll) the way a reporting host does,\n"
    "so that scripts can mail exported reports through the machine's mail client.\n"
    "\n"
    "commands:\n"
    "  list              print the destination catalogue: identifier, name and description\n"
    "  version           print the plug-in's interface version\n"
    "  send FILE...      mail the files, one attachment per file, in one message; each\n"
    "                    attachment is named after its file (the folder is left out)\n"
    "  check             diagnose this machine's mail setup, one line per check (ok, warning or\n"
    "                    problem, with what to do): WIN.INI, the default mail client and its\n"
    "                    DLLs (there? 64-bit?), MAPI32.DLL and its entry points, the Windows\n"
    "                    version and so how names are resolved, a logon without a window.\n"
    "                    Nothing is sent. Exit status 0 when a silent send can work, else the\n"
    "                    code a send would meet\n"
    "\n"
    "options of send (without --dialog or --options the mail goes out without any window,\n"
    "except a logon prompt of the mail client if it needs one):\n"
    "  --to NAMES        recipients; several are separated by \";\", e.g. \"Ann; bob@example.com\".\n"
    "  --cc NAMES        A name is looked up in the mail client's address book, and part of a\n"
    "  --bcc NAMES       name is enough when it matches one entry only\n"
    "  --subject TEXT    the subject line\n"
    "  --message TEXT    the message text; the attachments follow it\n"
    "  --profile NAME    the mail client's profile to log on to (default: its default one)\n"
    "  --password TEXT   the profile's password, if it has one\n"
    "  --wide            hand the texts to the plug-in as UTF-16 (converted from the command\n"
    "                    line's code page), as a Unicode host does\n"
    "  --dialog          show the plug-in's Send Mail dialog instead, to fill in by hand\n"
    "  --options FILE    send with the recipients and texts saved earlier by --save-options\n"
    "  --save-options FILE  save the recipients (resolved) and texts of this mail, to send\n"
    "                    the next one with --options FILE; the file holds the password too,\n"
    "                    so it is made readable and writable by you alone\n"
    "  --lang ID         language of the plug-in's dialog and error texts, e.g. 0x0407 for\n"
    "                    German (default 0x0400: the user's language)\n"
    "  --                the words after it are files, even those starting with \"--\"\n"
    "\n"
    "options of check:\n"
    "  --profile NAME    the profile to log on to, --password TEXT its password (as for send)\n"
    "  --name NAME       also resolve NAME through the plug-in exactly as a silent send does,\n"
    "                    and show what it resolved to, or why it did not\n"
    "\n"
    "options of list:\n"
    "  --lang ID         the catalogue's language (default: the user's language)\n"
    "\n"
    "  --plugin PATH     the plug-in to load (default: uxdmapi.dll beside uxdsend.exe)\n"
    "\n"
    "exit status (the plug-in's code; a line on standard error says why, and for a well-known\n"
    "failure a second line says what it means and what to try):\n"
    "  0    sent: the mail client took the message (send prints nothing then)\n"
    "  1    the mail client does not support the request\n"
    "  2    out of memory\n"
    "  3    disk full\n"
    "  5    missing or invalid argument: a FILE that does not exist, an unreadable or damaged\n"
    "       --options file, a text longer than the plug-in takes\n"
    "  6    cancelled by the user (the Send Mail dialog or the mail client's logon)\n"
    "  7    mail services unavailable: no mail client, mail switched off in WIN.INI\n"
    "       ([Mail] MAPI=1), or uxdmapi.dll not found\n"
    "  255  any other failure (code -1; %ERRORLEVEL% -1 in cmd.exe), e.g. a failed logon or\n"
    "       a name that matches nobody or several people (from Windows 7 on reported as error\n"
    "       2147746063 or 2147747584 of MAPIResolveName: not found, ambiguous)\n"
    "  64   a mistake on uxdsend's command line\n"
    "\n"
    "example:\n"
    "  uxdsend send --to \"Ann; Bob Carter\" --cc controlling@example.com ^\n"
    "               --subject \"Sales, March\" --message \"The March figures.\" ^\n"
    "               sales.pdf sales.csv\n";

}  // namespace

void printSynopsis(std::FILE *to) { std::fputs(kSynopsis, to); }

void printUsage(std::FILE *to) {
    std::fputs(kSynopsis, to);
    std::fputs(kDetails, to);
}
