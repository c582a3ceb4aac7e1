#include "workbench/host/design.h"

#include "native_winapi/observe.h"
#include "plugin/ticket_digits.h"
#include "resources/ticket_sizes.h"
#include "workbench/host/design_description.h"

const GuestPlgInfo kDesignPlgInfo = {4, FaceWidth, FaceHeight, {}};

const std::string kDesignDescription(kDesignDescriptionBytes, sizeof kDesignDescriptionBytes - 1);

std::vector<GlyphDraw> ExpectedGlyphs(int32_t ticketNumberArgument) {
  // The native rule works on the native text store, set up once as DllMain does. Its heap calls
  // are not recorded: a sweep would keep every drawing's, a hundred megabytes.
  static const bool storeReady = (InitTextStore(), SetHeapRecording(false), true);
  (void)storeReady;
  DigitPlacement placements[2];
  int32_t count = TicketPlacements(ticketNumberArgument, placements);
  std::vector<GlyphDraw> glyphs;
  for (int32_t i = 0; i < count; ++i)
    glyphs.push_back({placements[i].Glyph, placements[i].X, placements[i].Y});
  return glyphs;
}
