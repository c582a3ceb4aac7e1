// The print stage: one test page on the named or default printer.
#include "tools/check/print_page.h"
#include "tools/check/stages.h"

void CheckPrinting(const StageContext &c) {
  const Options &o = *c.options;
  BeginCall("the test page", NoTicket);
  PrintedPage page = PrintTestPage(c.plugin.module, o.printer.empty() ? nullptr : o.printer.c_str(),
                                   o.printFile.empty() ? nullptr : o.printFile.c_str());
  EndCall();
  Verdict(page.ok, "print: " + page.line);
}
