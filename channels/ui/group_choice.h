#pragma once
// The group filter of a list of channels ("GroupFilter"): "All groups", then every group of its
// rows, each once, in the order the lists sort groups. Hidden while the rows have no group. The
// channel list window and the guide window show one each.

#include <QComboBox>
#include <QString>
#include <QStringList>

namespace zentavo {

class GroupChoice : public QComboBox {
    Q_OBJECT
public:
    explicit GroupChoice(QWidget* parent = nullptr);

    // Offers those groups; `chosen` stays chosen when it is one of them, otherwise every group is.
    void SetGroups(const QStringList& groups, const QString& chosen);
    // The group chosen; empty when every group is.
    QString Group() const;

signals:
    // The user chose a group (empty: every group).
    void GroupChosen(const QString& group);
};

} // namespace zentavo
