#include "modem/ResponseMatcher.h"

namespace {

bool AfterLineBreak(std::string_view buffer, size_t pos) {
    return pos > 0 && (buffer[pos - 1] == '\r' || buffer[pos - 1] == '\n');
}

} // namespace

ResponseMatcher::ResponseMatcher(std::vector<ResultWord> words) {
    SetWords(std::move(words));
}

void ResponseMatcher::SetWords(std::vector<ResultWord> words) {
    m_words = std::move(words);
    Reset();
}

void ResponseMatcher::Reset() {
    m_sBuffer.clear();
    m_dead.assign(m_words.size(), false);
}

const ResultWord* ResponseMatcher::Append(char c) {
    m_sBuffer.push_back(c);
    std::string_view buf = m_sBuffer;
    for (size_t i = 0; i < m_words.size(); ++i) {
        const std::string& w = m_words[i].word;
        // An empty word would match every answer; a blanked result word in a
        // profile means "this modem has no such answer".
        if (m_dead[i] || w.empty() || buf.size() < w.size() ||
            buf.compare(buf.size() - w.size(), w.size(), w) != 0)
            continue;
        size_t pos = buf.size() - w.size();
        if (m_words[i].anywhere || AfterLineBreak(buf, pos))
            return &m_words[i];
        m_dead[i] = true;
    }
    return nullptr;
}

const ResultWord* MatchResultWord(std::string_view buffer, const std::vector<ResultWord>& words) {
    for (const ResultWord& w : words) {
        if (w.word.empty())
            continue;
        size_t pos = buffer.find(w.word);
        if (pos != std::string_view::npos && (w.anywhere || AfterLineBreak(buffer, pos)))
            return &w;
    }
    return nullptr;
}
