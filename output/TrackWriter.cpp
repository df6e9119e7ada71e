#include "output/TrackWriter.h"
// stand-in, being built
TrackWriter::TrackWriter(FileSystem&, Clock&, LocalTimeZone&, TextBoxes&) {}
int TrackWriter::AddPoint(const GpsFix&) { return 0; }
int TrackWriter::Flush() { return 0; }
void TrackWriter::Reset() {}
bool TrackWriter::SetFolder(const wchar_t*) { return true; }
void TrackWriter::GetFolder(wchar_t* out) const { out[0] = 0; }
const char* TrackWriter::PendingText() const { return ""; }
int32_t TrackWriter::FillLength() const { return 0; }
