#pragma once
// A main dialog shown on the offscreen screen, with a worker that only counts its calls and
// reports success; and short ways to reach its controls.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>

#include <atomic>
#include <memory>

#include "app/ControlIds.h"
#include "app/MainDialog.h"
#include "tests/app/DialogTestKit.h"

class DialogFixture {
public:
    // A dialog whose worker posts completion 0 at once.
    DialogFixture();
    explicit DialogFixture(MainDialog::WorkerProcedure worker,
                           MainDialog::MenuWorkerProcedure menuWorker = MenuConversionWorker);

    MainDialog& Dialog() { return *dialog; }
    QLineEdit& Edit(int id) { return *FindControl<QLineEdit>(*dialog, id); }
    QComboBox& List(int id) { return *FindControl<QComboBox>(*dialog, id); }
    QAbstractButton& Button(int id) { return *FindControl<QAbstractButton>(*dialog, id); }
    QProgressBar& Progress() { return *FindControl<QProgressBar>(*dialog, kProgressBar); }
    QWidget& Control(int id) { return *FindControl<QWidget>(*dialog, id); }

    void Click(int id);
    int WorkerCalls() const { return *workerCalls; }

private:
    std::shared_ptr<std::atomic<int>> workerCalls = std::make_shared<std::atomic<int>>(0);
    std::unique_ptr<MainDialog> dialog;
};

// The worker's completion notice, as ConversionWorker posts it.
void PostCompletion(const ConversionRequest& request, int code);
