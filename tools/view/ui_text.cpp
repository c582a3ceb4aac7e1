#include "tools/view/ui_text.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>

namespace {

struct Words {
  Text id;
  const wchar_t *english;
  const wchar_t *japanese;
};

// In the order of the enumeration, every one of it.
const Words Table[] = {
    {Text::MenuFile, L"&File", L"ファイル(&F)"},
    {Text::MenuOpen, L"&Open plug-in...\tCtrl+O", L"プラグインを開く(&O)...\tCtrl+O"},
    {Text::MenuCompare, L"Compare &with...", L"比較するプラグインを開く(&W)..."},
    {Text::MenuCloseCompare, L"Close the &comparison", L"比較を閉じる(&C)"},
    {Text::MenuSave, L"&Save picture...\tCtrl+S", L"画像を保存(&S)...\tCtrl+S"},
    {Text::MenuCopy, L"&Copy picture\tCtrl+C", L"画像をコピー(&C)\tCtrl+C"},
    {Text::MenuPrint, L"&Print...\tCtrl+P", L"印刷(&P)...\tCtrl+P"},
    {Text::MenuExit, L"E&xit", L"終了(&X)"},
    {Text::MenuPerPage, L"Tickets per printed pa&ge", L"1 ページに印刷する枚数(&G)"},
    {Text::MenuPerPageFit, L"As many as fit", L"入るだけ"},
    {Text::MenuView, L"&View", L"表示(&V)"},
    {Text::MenuTicket, L"&Ticket\tF5", L"整理券(&T)\tF5"},
    {Text::MenuSheet, L"&Sheet of 0 to 99\tF6", L"0～99 の一覧(&S)\tF6"},
    {Text::MenuOneBit, L"As a thermal printer sees it (&1 bit per pixel)\tF7",
     L"サーマルプリンタの見え方(&1 ビット/画素)\tF7"},
    {Text::MenuZoom1, L"Zoom 1×\tCtrl+1", L"等倍 1×\tCtrl+1"},
    {Text::MenuZoom2, L"Zoom 2×\tCtrl+2", L"2 倍\tCtrl+2"},
    {Text::MenuZoom4, L"Zoom 4×\tCtrl+4", L"4 倍\tCtrl+4"},
    {Text::MenuZoomFit, L"&Fit to the window\tCtrl+0", L"ウィンドウに合わせる(&F)\tCtrl+0"},
    {Text::LabelPlugin, L"Plug-in:", L"プラグイン:"},
    {Text::LabelCompared, L"Compared with:", L"比較対象:"},
    {Text::LabelRecord, L"Record:", L"情報:"},
    {Text::LabelDescription, L"Description (SetPlgComment):", L"説明 (SetPlgComment):"},
    {Text::LabelEntries, L"List entries (SetCorpAddList):", L"リスト項目 (SetCorpAddList):"},
    {Text::LabelNumber, L"Number:", L"番号:"},
    {Text::KeysHint, L"↑↓ ±1, Page Up/Down ±10", L"↑↓ で ±1、Page Up/Down で ±10"},
    {Text::NoPlugin, L"No plug-in open: File > Open, or drop a file here.",
     L"プラグインが開かれていません。[ファイル] > [開く] "
     L"を使うか、ここにファイルをドロップしてください。"},
    {Text::Record, L"code %d, %d × %d pixels (GetPlgInfo returned %d)",
     L"コード %d、%d × %d ピクセル (GetPlgInfo の戻り値 %d)"},
    {Text::EntriesCount, L"%d entries, returned %d", L"%d 項目、戻り値 %d"},
    {Text::CodePageNot932,
     L"This system's code page is %u, not 932: the description and entries are shown here as "
     L"code page 932 all the same, but a host on this system shows them garbled.",
     L"このシステムのコードページは 932 ではなく %u です。説明とリスト項目はここではコードページ "
     L"932 として表示しますが、このシステム上のホストでは文字化けします。"},
    {Text::CannotLoad, L"%ls cannot be loaded as a plug-in: error %lu: %ls",
     L"%ls はプラグインとして読み込めません: エラー %lu: %ls"},
    {Text::OtherWidth,
     L"%ls is a module of the other width (32-bit or 64-bit) than this viewer (%d-bit): hosts "
     L"load 32-bit plug-ins; open it with the 32-bit tkt-view.",
     L"%ls はこのビューア (%d ビット) と異なるビット幅のモジュールです。ホストは 32 ビットの"
     L"プラグインを読み込みます。32 ビット版の tkt-view で開いてください。"},
    {Text::MissingExports, L"%ls is not a ticket plug-in: it does not export %ls.",
     L"%ls は整理券プラグインではありません: %ls をエクスポートしていません。"},
    {Text::BadRecord,
     L"GetPlgInfo gave a ticket of %d × %d pixels: no ticket of that size can be drawn.",
     L"GetPlgInfo が返した整理券の大きさは %d × %d ピクセルです。この大きさでは描画できません。"},
    {Text::Faulted,
     L"The plug-in raised exception 0x%08lX (%ls) in %ls at %ls. The viewer goes on; the "
     L"plug-in may be left in a broken state.",
     L"プラグインが例外 0x%08lX (%ls) を起こしました (%ls、%ls)。ビューアは動作を続けますが、"
     L"プラグインは壊れた状態かもしれません。"},
    {Text::Hung,
     L"%ls did not return within %d seconds: the plug-in hangs. It is not called again until it "
     L"is opened once more.",
     L"%ls が %d 秒以内に戻りません。プラグインが応答しません。もう一度開くまで呼び出しません。"},
    {Text::HungBefore,
     L"This plug-in hung in an earlier call and is not called again: open it once more.",
     L"このプラグインは以前の呼び出しで応答しなくなったため呼び出しません。もう一度開いてください"
     L"。"},
    {Text::StackOff,
     L"%ls left the stack pointer %+d bytes off: it does not use the Windows calling convention "
     L"(stdcall), and a host would crash on it.",
     L"%ls がスタックポインタを %+d バイトずらしました。Windows の呼び出し規約 (stdcall) に"
     L"従っていないため、ホストは異常終了します。"},
    {Text::NotANumber, L"\"%ls\" is not a number of 32 bits: nothing drawn.",
     L"「%ls」は 32 ビットの数ではありません。描画しません。"},
    {Text::Drawn, L"DrawSeiriken(dc, 0, 0, 0, 0, %ld, 0, 0) returned %d.",
     L"DrawSeiriken(dc, 0, 0, 0, 0, %ld, 0, 0) の戻り値 %d。"},
    {Text::SheetDrawn, L"Tickets 0 to 99 drawn.", L"0～99 番を描画しました。"},
    {Text::ComparedOne, L"Ticket %ld: %d pixels differ (marked red, right).",
     L"%ld 番: %d ピクセルが異なります (右に赤で表示)。"},
    {Text::ComparedSheet,
     L"Tickets 0 to 99: %d tickets differ, %d pixels in all (marked red, right).",
     L"0～99 番: %d 枚が異なり、異なるピクセルは計 %d 個です (右に赤で表示)。"},
    {Text::Saved, L"Saved %ls.", L"%ls を保存しました。"},
    {Text::NotSaved, L"%ls could not be written (error %lu).",
     L"%ls を書き込めませんでした (エラー %lu)。"},
    {Text::Copied, L"The picture is on the clipboard.", L"画像をクリップボードにコピーしました。"},
    {Text::NotCopied, L"The clipboard refused the picture (error %lu).",
     L"クリップボードにコピーできませんでした (エラー %lu)。"},
    {Text::Printed, L"Printed tickets %ld to %ld on \"%ls\", %d per page, %d × %d dpi.",
     L"%ld～%ld 番を「%ls」に印刷しました (1 ページに %d 枚、%d × %d dpi)。"},
    {Text::NotPrinted, L"Printing on \"%ls\" failed (error %lu).",
     L"「%ls」への印刷に失敗しました (エラー %lu)。"},
    {Text::FilterPictures, L"PNG picture (*.png)|*.png|BMP picture (*.bmp)|*.bmp|",
     L"PNG 画像 (*.png)|*.png|BMP 画像 (*.bmp)|*.bmp|"},
    {Text::FilterPlugins, L"Ticket plug-ins (*.qpl)|*.qpl|All files (*.*)|*.*|",
     L"整理券プラグイン (*.qpl)|*.qpl|すべてのファイル (*.*)|*.*|"},
};

static_assert(sizeof Table / sizeof *Table == static_cast<int>(Text::Count),
              "one row for each text");

} // namespace

bool JapaneseInterface() {
  static const bool japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
  return japanese;
}

const wchar_t *Say(Text id) {
  const Words &words = Table[static_cast<int>(id)];
  return JapaneseInterface() ? words.japanese : words.english;
}

std::wstring Format(const wchar_t *format, ...) {
  wchar_t buffer[2048];
  va_list values;
  va_start(values, format);
  int n = _vsnwprintf(buffer, 2047, format, values);
  va_end(values);
  buffer[n < 0 ? 2047 : n] = L'\0';
  return buffer;
}
