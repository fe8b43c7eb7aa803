#include "platform/ui/NumberEntry.h"

#include <QLineEdit>
#include <QValidator>

#include "platform/Picture.h"

namespace tko {
namespace {

class PictureNumberValidator : public QValidator {
public:
    PictureNumberValidator(const QString& picture, QObject* parent)
        : QValidator(parent), m_picture(picture) {}
    State validate(QString& input, int&) const override {
        return numberEntryAccepts(input, m_picture) ? Intermediate : Invalid;
    }

private:
    QString m_picture;
};

}  // namespace

void restrictToNumber(QLineEdit* edit, const QString& picture) {
    edit->setProperty("picture", picture);
    edit->setValidator(new PictureNumberValidator(picture, edit));
}

}  // namespace tko
