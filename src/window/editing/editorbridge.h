// The entry editor page's link to the program.
#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

namespace Feedsmith {

// The object the editor page reaches through the web channel. The page reports that it runs,
// then for each document swapped into it its readiness, its changes and its command states,
// each with the number of the document; reports of any document but the one loaded last are
// dropped here.
class EditorBridge : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int generation READ generation NOTIFY generationChanged)
    Q_PROPERTY(QVariantMap commandStates READ commandStates NOTIFY commandStatesChanged)

public:
    using QObject::QObject;

    int generation() const { return m_generation; }
    void setGeneration(int generation);
    QVariantMap commandStates() const { return m_commandStates; }

public slots:
    // The editing page runs and takes documents.
    void reportLoaded();
    // The document is in the page; head and body as the page writes them back.
    void reportReady(int generation, const QString &head, const QString &body);
    // `keys`: the text keys the page had received when the document changed.
    void reportDocument(int generation, const QString &head, const QString &body, int keys);
    void reportStates(int generation, const QVariantMap &states);
    // Tab (or Shift+Tab, `backward`) outside a list item: the focus goes on.
    void leaveBody(bool backward) { emit leaveRequested(backward); }

signals:
    void leaveRequested(bool backward);
    void generationChanged();
    void commandStatesChanged();
    void pageLoaded();
    void pageReady(const QString &head, const QString &body);
    void documentChanged(const QString &head, const QString &body, int keys);

private:
    int m_generation = 0;
    QVariantMap m_commandStates;
};

} // namespace Feedsmith
