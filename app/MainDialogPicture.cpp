// MainDialog: the window of the handheld's picture, opened by its button and told every
// setting change through the estimate's request.
#include "app/HandheldPictureWindow.h"
#include "app/MainDialog.h"

void MainDialog::ShowPicture() {
    if (!pictureWindow) pictureWindow = new HandheldPictureWindow(this);
    pictureWindow->show();
    pictureWindow->raise();
    AskEstimate();
}
