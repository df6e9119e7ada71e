#include "output/RouteWriter.h"
// stand-in, being built
RouteWriter::RouteWriter(FileSystem&, Clock&, LocalTimeZone&, TextBoxes&, MessageCounter&) {}
int RouteWriter::AddWaypoint(const GpsFix&) { return 0; }
int RouteWriter::Flush() { return 0; }
void RouteWriter::Reset() {}
bool RouteWriter::SetFolder(const wchar_t*) { return true; }
void RouteWriter::ContinueRoute(const GpsFix&) {}
const char* RouteWriter::PendingText() const { return ""; }
int32_t RouteWriter::FillLength() const { return 0; }
