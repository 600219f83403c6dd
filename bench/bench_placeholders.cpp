// Filling placeholders: a text element of 10,000 "<t1>" with a 1 kB text block (the filled
// text stops at 64 K characters), and a chain of values that would double 32 times. Prints
// fills per second and the characters written per second.

#include "document/appdocument.h"
#include "ui/globals.h"
#include "document/placeholders.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

// AddressFields index of the address placeholders in filling order.
const int kAddress[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 21, 22, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ResetGlobals();
    TDocElementTXT* t = Document->AddText(QString());
    struct Case {
        const char* name;
        void (*setup)(TDocElementTXT*);
    };
    const Case cases[] = {
        {"10,000 x <t1>, 1 kB text block",
         [](TDocElementTXT* e) {
             TextBlocks[1] = QStringLiteral("0123456789").repeated(100);
             e->MacroText = QStringLiteral("<t1>").repeated(10000);
         }},
        {"values doubling 32 times",
         [](TDocElementTXT* e) {
             for (int k = 0; k < 32; ++k) {
                 const QString next = TPlaceholderFiller::Name(k + 1).repeated(2);
                 if (k < 10)
                     TextBlocks[size_t(k + 1)] = next;
                 else
                     AddressFields[size_t(kAddress[k - 10])] = next;
             }
             AddressFields[20] = QStringLiteral("x"); // <name>, the last one
             e->MacroText = QStringLiteral("<t1>");
         }},
    };
    std::printf("%-34s %12s %14s\n", "case", "fills/s", "MB chars/s");
    for (const Case& c : cases) {
        ResetGlobals();
        t = Document->AddText(QString());
        c.setup(t);
        QElapsedTimer timer;
        timer.start();
        int fills = 0;
        qint64 chars = 0;
        while (timer.elapsed() < 2000) {
            Document->FillPlaceholders(CurrentPlaceholderValues());
            chars += t->Text.size();
            ++fills;
        }
        const double s = timer.nsecsElapsed() / 1e9;
        std::printf("%-34s %12.1f %14.1f   (text %lld chars)\n", c.name, fills / s,
                    chars / s / 1e6, qint64(t->Text.size()));
    }
    return 0;
}
