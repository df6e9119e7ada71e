#pragma once

// The system's words for an errno value, or "error N" in spare when it has none.
const char* ErrorWords(int error, char (&spare)[32]);
