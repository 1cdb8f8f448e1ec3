#include "host/hosting/status_line.h"

#include "host/hosting/line_canvas.h"
#include "host/hosting/printable_text.h"

std::string PaintStatusLine(HomeScreenSession& session) {
  LineCanvas canvas(session.scheme().text);
  session.Paint(canvas, kStatusLineWidth);
  return RenderStatusLine(canvas.text());
}

std::string RenderStatusLine(const WString& lineText) {
  std::u32string text = ScreenCharacters(lineText);
  text.erase(0, text.find_first_not_of(U' '));
  return EncodeUtf8(text);
}
