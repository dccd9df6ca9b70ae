#pragma once
// Limits what can be typed into an edit to a number of bytes in code page 932, where a
// double-byte character counts as two; optionally turns typed letters into upper case, as a
// cartridge title has them.
// A text set by the program may be longer; validation then reports it (StoreControls).
#include <QValidator>

#include <cstddef>

class ByteLimitValidator : public QValidator {
    Q_OBJECT
public:
    enum class Case { Keep, Upper };

    ByteLimitValidator(size_t maxBytes, Case letterCase, QObject* parent);

    State validate(QString& input, int& position) const override;

private:
    size_t maxBytes;
    Case letterCase;
};
