#pragma once
// File names in the order the file managers of this desktop show them: letter case aside, runs of
// digits compared by their value (planete_2 before planete_10), accents aside ("été" beside "ete").
// Names that compare equal so (a1 and A01) keep a fixed order, by their code points.
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

// Negative, zero or positive as a comes before, with or after b.
int naturalCompare(QStringView a, QStringView b);

// The indices of names, in the order above.
std::vector<int> naturalOrder(const QStringList& names);
