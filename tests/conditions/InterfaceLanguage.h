#pragma once

#include "support/ProgramTranslation.h"

// The program's translation for a language ("en_GB", "ru_RU") while it lives; an empty language installs nothing.
struct InterfaceLanguage : ProgramTranslation
{
    using ProgramTranslation::ProgramTranslation;
    bool IsLoadedOrNone() const { return isValid(); }
};
