// Recognises the modem's result words in the characters it sends.
//
// The classifier tests its line buffer after every character against the
// result words in a fixed order; the first word that matches wins. A word
// matches at its first occurrence in the buffer; caller-ID field words may
// stand anywhere, every other word must directly follow a CR or LF (so "NOT
// OK" is not OK, and an echoed "ATE0" is no answer). When the first occurrence
// fails that rule the word cannot match any more in this answer.
//
// Testing the whole buffer after each character costs quadratic time on a
// babbling modem, so the matcher keeps, per word, whether its first
// occurrence has been seen: a new first occurrence can only end at the
// character just appended. The outcome is the same, at linear cost.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct ResultWord {
    int code = 0;
    std::string word;
    const char* logPrefix = "";
    bool anywhere = false; // caller-ID field words
    bool drain = false;    // read the trailing line end after a match
};

class ResponseMatcher {
public:
    explicit ResponseMatcher(std::vector<ResultWord> words = {});

    void SetWords(std::vector<ResultWord> words);
    const std::vector<ResultWord>& Words() const { return m_words; }

    // Starts a new answer (the line buffer is emptied).
    void Reset();
    // Appends a character and returns the word that matches now, or nullptr.
    const ResultWord* Append(char c);
    const std::string& Buffer() const { return m_sBuffer; }
    void ClearBuffer() { Reset(); }

private:
    std::vector<ResultWord> m_words;
    std::vector<bool> m_dead;
    std::string m_sBuffer;
};

// The rule on its own, over a whole buffer (the slow reference).
const ResultWord* MatchResultWord(std::string_view buffer, const std::vector<ResultWord>& words);
