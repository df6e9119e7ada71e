#pragma once

// Receives each complete "$GP" sentence: NUL-terminated, no CR or LF, at most
// 126 characters. The text is valid only during the call.
class SentenceSink {
public:
    virtual ~SentenceSink() = default;
    virtual void ProcessSentence(const char* sentence) = 0;
};
