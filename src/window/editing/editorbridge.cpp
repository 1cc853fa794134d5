// The entry editor page's link to the program.
#include "window/editing/editorbridge.h"

namespace Feedsmith {

void EditorBridge::setGeneration(int generation)
{
    if (m_generation == generation)
        return;
    m_generation = generation;
    // A new document has no states until its page reports them.
    m_commandStates.clear();
    emit generationChanged();
    emit commandStatesChanged();
}

void EditorBridge::reportLoaded()
{
    emit pageLoaded();
}

void EditorBridge::reportReady(int generation, const QString &head, const QString &body)
{
    if (generation == m_generation)
        emit pageReady(head, body);
}

void EditorBridge::reportDocument(int generation, const QString &head, const QString &body, int keys)
{
    if (generation == m_generation)
        emit documentChanged(head, body, keys);
}

void EditorBridge::reportStates(int generation, const QVariantMap &states)
{
    if (generation != m_generation || states == m_commandStates)
        return;
    m_commandStates = states;
    emit commandStatesChanged();
}

} // namespace Feedsmith
