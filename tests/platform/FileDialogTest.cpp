// The real file dialog: the list of file types it shows for the filter a
// program gives, and which of them it shows chosen.
#include "platform/services/DesktopServices.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QTimer>

#include <string>
#include <vector>

namespace {

struct TShownTypes {
    std::vector<std::string> types;
    std::string chosen;
};

// Opens the dialog for `filter` with entry `pick` (1-based) chosen, reads the
// type list it shows and the chosen type, then cancels it.
TShownTypes ShowTypes(const std::string &filter, int pick = 1)
{
    TShownTypes shown;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (dialog != nullptr) {
            if (auto *list = dialog->findChild<QComboBox *>("fileTypeCombo"))
                for (int i = 0; i < list->count(); ++i)
                    shown.types.push_back(list->itemText(i).toStdString());
            shown.chosen = dialog->selectedNameFilter().toStdString();
        }
        if (modal != nullptr)
            modal->close();
    });
    poll.start();
    TFileDialogRequest request;
    request.save = true;
    request.filter = filter;
    request.filterIndex = pick;
    TDesktopServices real;
    EXPECT_FALSE(real.FileDialog(request).has_value());
    return shown;
}

using TTypes = std::vector<std::string>;

} // namespace

TEST(FileDialog, ShowsEachTypeWithItsMasksOnce)
{
    // Descriptions that name their masks already: the PDF printer's, the saved report's.
    EXPECT_EQ(ShowTypes("PDF (*.pdf)|*.pdf").types, TTypes{"PDF (*.pdf)"});
    EXPECT_EQ(ShowTypes("Report file (*.RPF)|*.RPF").types, TTypes{"Report file (*.RPF)"});
    EXPECT_EQ(ShowTypes("Report file(*.RPF)|*.RPF|Text (*.txt;*.csv)|*.txt;*.csv").types,
              (TTypes{"Report file(*.RPF)", "Text (*.txt *.csv)"}));
    // Descriptions without them get them, as the list needs them to choose the files.
    EXPECT_EQ(ShowTypes("xml file|*.xml").types, TTypes{"xml file (*.xml)"});
    EXPECT_EQ(ShowTypes("RPF|*.rpf").types, TTypes{"RPF (*.rpf)"});
    // A description that mentions other masks is not mistaken for its own.
    EXPECT_EQ(ShowTypes("Pages (*.pdf)|*.rpf").types, TTypes{"Pages (*.pdf) (*.rpf)"});
    EXPECT_EQ(ShowTypes("PDF (*.pdf)|*.pdf|All (*.*)|*.*", 2).chosen, "All (*.*)");
}
