#include "app/ByteLimitValidator.h"

#include "platform/Cp932.h"

ByteLimitValidator::ByteLimitValidator(size_t maxBytes, Case letterCase, QObject* parent)
    : QValidator(parent), maxBytes(maxBytes), letterCase(letterCase) {}

QValidator::State ByteLimitValidator::validate(QString& input, int&) const {
    if (letterCase == Case::Upper) {
        // Character by character, so the text keeps its length and the cursor its place.
        for (QChar& c : input) c = c.toUpper();
    }
    return Cp932ByteCount(input.toStdString()) <= maxBytes ? Acceptable : Invalid;
}
