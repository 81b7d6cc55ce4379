# The version of the wire protocol between the extension and kestrova-host
# (bridge/PROTOCOL.md), in this one place. The host announces
# KESTROVA_PROTOCOL_VERSION in its ready frame; the extension is built with
# the list of versions it speaks and refuses a host that announces another.
# Raise the version when a change would break the other side, and keep an
# old version in the extension's list while it still speaks it.
set(KESTROVA_PROTOCOL_VERSION 1)
set(KESTROVA_EXTENSION_PROTOCOL_VERSIONS 1)
