#pragma once
// A window's accessibility tree as a screen reader reads it, through the
// toolkit's interfaces: roles, names, states and children.
#include "platform/kernel/Controls.h"
#include "platform/kernel/QtControls.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCoreApplication>

#include <string>
#include <vector>

namespace testing_support {

inline QAccessibleInterface *AccessibleOf(const TWinControl &control)
{
    return control.HandleAllocated() ? QAccessible::queryAccessibleInterface(control.Link()->Widget()) : nullptr;
}

inline std::string AccName(QAccessibleInterface *iface)
{
    return iface ? iface->text(QAccessible::Name).toStdString() : "(none)";
}

inline std::string AccName(const TWinControl &control) { return AccName(AccessibleOf(control)); }

inline QAccessible::Role AccRole(const TWinControl &control)
{
    QAccessibleInterface *iface = AccessibleOf(control);
    return iface ? iface->role() : QAccessible::NoRole;
}

inline std::vector<QAccessibleInterface *> AccChildren(QAccessibleInterface *iface)
{
    std::vector<QAccessibleInterface *> children;
    for (int i = 0; iface && i < iface->childCount(); ++i)
        children.push_back(iface->child(i));
    return children;
}

// "name (role)" of each child, or of each child of the given role only.
inline std::vector<std::string> AccChildNames(QAccessibleInterface *iface, QAccessible::Role only = QAccessible::NoRole)
{
    std::vector<std::string> names;
    for (QAccessibleInterface *child : AccChildren(iface))
        if (only == QAccessible::NoRole || (child && child->role() == only))
            names.push_back(AccName(child));
    return names;
}

inline QAccessibleInterface *AccChildNamed(QAccessibleInterface *iface, const std::string &name)
{
    for (QAccessibleInterface *child : AccChildren(iface))
        if (child && AccName(child) == name)
            return child;
    return nullptr;
}

// Runs the object's press action, then the calls it left for the event loop.
inline void AccPress(QAccessibleInterface *iface)
{
    if (iface && iface->actionInterface())
        iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
}

} // namespace testing_support
