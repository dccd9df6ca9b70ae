#include "tests/app/DialogFixture.h"

#include <QTest>

#include "platform/ConvertNotify.h"

void PostCompletion(const ConversionRequest& request, int code) { request.dialogWindow->Post(NOTIFY_COMPLETED, code); }

DialogFixture::DialogFixture() : DialogFixture(nullptr) {}

DialogFixture::DialogFixture(MainDialog::WorkerProcedure worker, MainDialog::MenuWorkerProcedure menuWorker) {
    dialog = std::make_unique<MainDialog>(
        [calls = workerCalls, worker](const ConversionRequest& request) {
            ++*calls;
            if (worker) return worker(request);
            PostCompletion(request, 0);
            return 0;
        },
        std::move(menuWorker));
    dialog->show();
    if (!QTest::qWaitForWindowActive(dialog.get())) qWarning("the dialog did not become active");
}

// Near the left edge: radio buttons and check boxes answer only on their mark and text, which
// may end well before the right edge of the template's rectangle.
void DialogFixture::Click(int id) {
    QAbstractButton& button = Button(id);
    QTest::mouseClick(&button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button.height() / 2));
}
