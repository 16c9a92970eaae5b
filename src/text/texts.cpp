// The process's languages and the one chosen.
#include "text/texts.h"

#include <atomic>

namespace {

std::atomic<size_t> chosen{0}; // an index of BuiltInLanguages()

} // namespace

const TLanguages& BuiltInLanguages() {
    static const TLanguages languages(kBuiltInTexts, kTextCount);
    return languages;
}

const TTextTable& Texts() {
    return BuiltInLanguages().Table(chosen.load(std::memory_order_acquire));
}

void ChooseLanguage(std::string_view setting, std::string_view localeName) {
    chosen.store(BuiltInLanguages().Choose(setting, localeName), std::memory_order_release);
}
