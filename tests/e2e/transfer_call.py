"""The transfer the page tests make: WriteRecordWithSNUMTACProc on file 1003
with an 80-character record, as a page's arguments or as a line of a page's
calls for `kestrova run`. Code 252 asks for the confirmation window (the
card is taken out and put back to confirm), 999 asks for none."""

METHOD = "WriteRecordWithSNUMTACProc"
PIN = "123456"  # the default profile's; the vpcd profile's is 654321


def record(last="KESTROVA BANK   ", code="252"):
    """The record, payee 0040987654321098; last: its final 16 characters."""
    return code + "000000000123456" + " " * 30 + "0040987654321098" + last


RECORD = record()


def arguments(reader, message="", transfer_record=RECORD, pin=PIN):
    return [reader, "", "1003", len(transfer_record), transfer_record, pin, message]


def call_line(reader, message="", transfer_record=RECORD, pin=PIN):
    """The call as a page's line: `kestrova run` reads it, and prints it back."""
    texts = [f'"{a}"' if isinstance(a, str) else str(a)
             for a in arguments(reader, message, transfer_record, pin)]
    return f"{METHOD}({', '.join(texts)})"
