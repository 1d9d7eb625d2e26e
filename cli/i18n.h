// The command line's own texts in the user's language: GNU gettext on Linux,
// the Italian catalogue built into the program on Windows. The report's texts
// are the report's and never pass through here.
#pragma once

// Takes the language (and on Linux the character set) from the user's settings.
void startTranslations();

// `text` in the user's language, or `text` itself.
const char* translate(const char* text);

// `one` or `many` for `count`, in the user's language.
const char* translatePlural(const char* one, const char* many, unsigned long count);

#define _(text) translate(text)
#define N_(text) text
