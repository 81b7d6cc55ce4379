// What a person is told for the control's result codes.
"use strict";

const RESULT_MESSAGES = new Map([
  [0x1002, "The PIN must have 6 to 12 digits."],
  [0x1003, "Choose a card reader first."],
  [0x1403, "You cancelled the transfer. No money was moved."],
  [0x1502, "The card has no such account."],
  [0x6983, "The card's PIN is blocked. Please contact your bank."],
  [0x7001002, "The PIN must have 6 to 12 digits."],
  [0x80100009, "That card reader is not known. Find the readers again."],
  [0x8010000C, "There is no card in the reader. Insert your card."],
  [0x8010001D, "The smart-card service is not running on this computer."],
  [0x8010002E, "No card reader is connected to this computer."],
  [0x80100017, "The card reader was disconnected."],
  [0x80100069, "The card was taken out of the reader. Insert it and try again."],
  [0x80100068, "The card was reset. Use the card again."],
]);

// A sentence for a method's result code; "" for success.
function describeResult(code) {
  if (code === 0) {
    return "";
  }
  const unsigned = code >>> 0;
  if ((unsigned & 0xfff0) === 0x63c0 && unsigned <= 0xffff) {
    const left = unsigned & 0xf;
    return left === 0 ? "Wrong PIN. The card's PIN is now blocked."
                      : `Wrong PIN. ${left} ${left === 1 ? "try" : "tries"} left.`;
  }
  const text = RESULT_MESSAGES.get(unsigned);
  const hex = "0x" + unsigned.toString(16).toUpperCase();
  return text ? `${text} (code ${hex})` : `The card could not do that (code ${hex}).`;
}
