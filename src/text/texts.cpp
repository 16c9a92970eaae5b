// The process's table of texts.
#include "text/texts.h"

const TTextTable& Texts() {
    static const TTextTable table(ParseTextFile(BuiltInEnglish()));
    return table;
}
