// The print stage: one test page on the named or default printer.
#include "tools/check/stages.h"

#if defined(TKT_CHECK_PRINTS)
#include "tools/check/print_page.h"
#endif

void CheckPrinting(const StageContext &c) {
#if defined(TKT_CHECK_PRINTS)
  const Options &o = *c.options;
  EnterCall("the test page", NoTicket);
  PrintedPage page = PrintTestPage(c.plugin.module, o.printer.empty() ? nullptr : o.printer.c_str(),
                                   o.printFile.empty() ? nullptr : o.printFile.c_str());
  Verdict(page.ok, "print: " + page.line);
#else
  (void)c;
  Fail("print: this build of tkt-check cannot print");
#endif
}
