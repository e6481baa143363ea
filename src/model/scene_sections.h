#pragma once
// Where a line stands in a LightWave scene file, for the scene's reader and the writer of its
// private copy, which must agree on which lines count.

#include "support/record_text.h"

#include <QString>

inline const QString KeyShowCamera = QStringLiteral("ShowCamera");
inline const QString KeyLoadObject = QStringLiteral("LoadObject");
inline const QString KeySaveRGB = QStringLiteral("SaveRGB");
inline const QString KeySaveAlpha = QStringLiteral("SaveAlpha");

// The frame range comes from the head, render settings from the camera section, and object
// sections are not interpreted.
enum TSceneSection
{
    SectionHead = 0,
    SectionObject = 1,
    SectionCamera = 2
};

inline bool HasKey(const QString& key, const QString& line)
{
    QString ignored;
    return ReadKeyValue(key, line, ignored);
}

inline TSceneSection NextSection(const QString& line, TSceneSection section)
{
    if (HasKey(KeyShowCamera, line))
        return SectionCamera;
    if (HasKey(KeyLoadObject, line))
        return SectionObject;
    return section;
}
