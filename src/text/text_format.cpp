// Placeholders replaced in one pass over the text; values are never searched for names.
#include "text/text_format.h"

void AppendText(std::string& out, std::string_view text, std::initializer_list<TTextArg> args) {
    size_t done = 0; // what is in `out` already
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '{')
            continue;
        for (const TTextArg& arg : args) {
            const size_t close = at + 1 + arg.Name.size();
            if (close < text.size() && text[close] == '}' &&
                std::string_view(text.data() + at + 1, arg.Name.size()) == arg.Name) {
                out.append(text.data() + done, at - done)
                    .append(arg.Value.data(), arg.Value.size());
                done = close + 1;
                at = close;
                break;
            }
        }
    }
    out.append(text.data() + done, text.size() - done);
}
