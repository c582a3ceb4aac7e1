// The viewer's words, in English and in Japanese: one table, the language chosen once from the
// user's interface language.
#pragma once

#include <string>

enum class Text {
  MenuFile,
  MenuOpen,
  MenuCompare,
  MenuCloseCompare,
  MenuSave,
  MenuCopy,
  MenuPrint,
  MenuExit,
  MenuPerPage,
  MenuPerPageFit,
  MenuView,
  MenuTicket,
  MenuSheet,
  MenuOneBit,
  MenuZoom1,
  MenuZoom2,
  MenuZoom4,
  MenuZoomFit,
  LabelPlugin,
  LabelCompared,
  LabelRecord,
  LabelDescription,
  LabelEntries,
  LabelNumber,
  KeysHint,
  NoPlugin,
  Record,
  EntriesCount,
  CodePageNot932,
  CannotLoad,
  OtherWidth,
  MissingExports,
  BadRecord,
  Faulted,
  Hung,
  HungBefore,
  StackOff,
  NotANumber,
  Drawn,
  SheetDrawn,
  ComparedOne,
  ComparedSheet,
  Saved,
  NotSaved,
  Copied,
  NotCopied,
  Printed,
  NotPrinted,
  FilterPictures,
  FilterPlugins,
  Count
};

// The text in the user's interface language: Japanese where that is Japanese, else English.
const wchar_t *Say(Text id);
bool JapaneseInterface();

// printf-style formatting into a wide string.
std::wstring Format(const wchar_t *format, ...);
