// The console answer reader of the converter dialogues.
#include "common/console.h"

#include <csignal>

#include "common/textio.h"

namespace kvl {

std::string AnswerReader::answer(std::size_t width)
{
    std::string text = line();
    if (text.size() > width) {
        text.resize(width);
        m_failed = true;
    }
    return text;
}

std::string AnswerReader::line()
{
    if (m_failed)
        return {};
    std::string text;
    if (!getLineNoCr(m_in, text))
        return {};
    return text;
}

void ignoreBrokenPipe()
{
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

} // namespace kvl
