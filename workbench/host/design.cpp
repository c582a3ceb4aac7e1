#include "workbench/host/design.h"

#include "design/resulting_tickets.h"
#include "design/ticket_design.h"
#include "workbench/host/design_description.h"

const GuestPlgInfo kDesignPlgInfo = {design::InfoCode, design::FaceWidth, design::FaceHeight, {}};

const std::string kDesignDescription(kDesignDescriptionBytes, sizeof kDesignDescriptionBytes - 1);

std::vector<GlyphDraw> ExpectedGlyphs(int32_t ticketNumberArgument) {
  const design::ResultingTicket ticket = design::ResultingTicketOf(ticketNumberArgument);
  std::vector<GlyphDraw> glyphs;
  if (ticket.tens >= 0)
    glyphs.push_back({ticket.tens, design::TensCellX, design::CellY});
  glyphs.push_back({ticket.units, design::UnitsCellX, design::CellY});
  return glyphs;
}
