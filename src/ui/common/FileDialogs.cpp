#include "ui/common/FileDialogs.h"

namespace vardel::ui {

QFileDialog* chooseFile(QWidget* parent, const QString& name, const QString& title, const QString& start,
                        const QString& filters, QFileDialog::FileMode mode, QFileDialog::AcceptMode accept,
                        std::function<void(const QString&)> chosen)
{
    auto* dialog = new QFileDialog(parent, title, start, filters);
    dialog->setObjectName(name);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(mode);
    dialog->setAcceptMode(accept);
    if (mode == QFileDialog::Directory)
        dialog->setOption(QFileDialog::ShowDirsOnly);
    QObject::connect(dialog, &QFileDialog::fileSelected, parent, [chosen = std::move(chosen)](const QString& file) {
        if (!file.isEmpty())
            chosen(file);
    });
    dialog->open();
    return dialog;
}

}  // namespace vardel::ui
