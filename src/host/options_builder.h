// Destination options filled in from uxdsend's flags the way a host fills them in: the pointer
// form (structSize 70, flatSize 0, no recipient table, the names as ";"-separated texts).
#pragma once

#include <string>

#include "mail_texts.h"
#include "uxdmapi.h"

// The records point into `texts`, which must outlive them.
MAPIDestinationOptions ansiOptions(const MailTexts &texts);
MAPIDestinationOptionsW wideOptions(const WideMailTexts &texts);

// UTF-16 copies of ANSI texts, read in the ANSI code page (CP_ACP) as a Unicode host that got
// them from the same user would have them; false with a reason when a text does not convert.
bool widen(const MailTexts &texts, WideMailTexts &wide, std::string &error);
