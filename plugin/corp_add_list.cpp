#include "plugin/combo_box_ref.h"
#include "plugin/exports.h"
#include "text/text_ops.h"

namespace {

const int16_t CorpAddItemCount = 15;

// The list entry at an index: this design has fifteen entries, all empty.
Text GetCorpAddItem(int16_t) {
  return TextFromChars("");
}

} // namespace

// Fills the host's combo box with the plug-in's list entries, replacing what it held.
int32_t WINAPI SetCorpAddList(HWND comboBox) {
  if (!comboBox)
    return 0;
  ComboBoxRef box = {comboBox};
  Clear(box);
  for (int16_t index = 0; index < CorpAddItemCount; ++index) {
    Text item = GetCorpAddItem(index);
    AddItem(box, item);
    ReleaseText(item);
  }
  return 1;
}
