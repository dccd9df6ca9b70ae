#include "app/ByteLimitValidator.h"

#include "job/ConversionSettings.h"
#include "platform/Cp932.h"

ByteLimitValidator::ByteLimitValidator(size_t maxBytes, Case letterCase, QObject* parent)
    : QValidator(parent), maxBytes(maxBytes), letterCase(letterCase) {}

QValidator::State ByteLimitValidator::validate(QString& input, int&) const {
    // The title's own rule, which keeps every character's length: the cursor keeps its place.
    if (letterCase == Case::Upper) input = QString::fromStdString(UpperCaseTitle(input.toStdString()));
    return Cp932ByteCount(input.toStdString()) <= maxBytes ? Acceptable : Invalid;
}
