#pragma once
// Answers the program's questions while a test clicks: "OK" on every question dialog that
// comes up (turning the sheets for the back side, a size warning), so that a click on a print
// button does not wait for a person. Answers from construction to destruction.

#include "ui/tfrage.h"

#include <QApplication>
#include <QTimer>

namespace fixtures {

class QuestionAnswerer {
public:
    QuestionAnswerer() {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            if (auto* f = qobject_cast<TFrage*>(QApplication::activeModalWidget())) {
                ++m_answered;
                f->ImageRegister->click();
            }
        });
        m_timer.start();
    }
    int Answered() const { return m_answered; }

private:
    QTimer m_timer;
    int m_answered = 0;
};

} // namespace fixtures
