// The on-screen controls: each button with a data-key stands for that key,
// and pressing and letting go of it sends the canvas exactly the key down and
// up a keyboard would, so the game (and its replays) cannot tell them apart.
// Any number of fingers at once; a finger sliding from one arrow to another
// hands the press over, the new arrow down before the old one up, as a thumb
// rolling across a keyboard's arrows does. A key held by two fingers (or a
// finger and the gate) goes up when the last lets go.
'use strict';

var TirlaneTouch = (function () {
  // The fields SDL reads from a browser's key event: the key, the code and
  // the legacy keyCode (which a constructed event cannot set, so it is defined).
  var KEYS = {
    ArrowUp: ['ArrowUp', 38], ArrowDown: ['ArrowDown', 40], ArrowLeft: ['ArrowLeft', 37],
    ArrowRight: ['ArrowRight', 39], Space: [' ', 32], Escape: ['Escape', 27],
    KeyP: ['p', 80], KeyM: ['m', 77],
  };
  var holders = {}; // code -> how many hands hold it
  var fingers = {}; // pointerId -> the button it holds

  function send(type, code) {
    var key = KEYS[code];
    var event = new KeyboardEvent(type, { key: key[0], code: code, bubbles: true, cancelable: true });
    Object.defineProperty(event, 'keyCode', { get: function () { return key[1]; } });
    Object.defineProperty(event, 'which', { get: function () { return key[1]; } });
    // SDL listens on the window, where the canvas's events arrive.
    document.getElementById('canvas').dispatchEvent(event);
  }

  function mark(code) {
    var held = holders[code] > 0;
    document.querySelectorAll('[data-key="' + code + '"]').forEach(function (button) {
      button.classList.toggle('held', held);
    });
  }

  function press(code) {
    holders[code] = (holders[code] || 0) + 1;
    if (holders[code] === 1) send('keydown', code);
    mark(code);
  }

  function release(code) {
    if (!(holders[code] > 0)) return;
    holders[code] -= 1;
    if (holders[code] === 0) send('keyup', code);
    mark(code);
  }

  function buttonAt(x, y) {
    var element = document.elementFromPoint(x, y);
    return element && element.closest ? element.closest('.controls [data-key]') : null;
  }

  function isArrow(button) {
    return button && button.parentElement.id === 'pad';
  }

  document.addEventListener('pointerdown', function (event) {
    var button = event.target.closest && event.target.closest('.controls [data-key]');
    if (!button) return;
    event.preventDefault();
    // A touch is held by the element it began on; the slides are found by position.
    if (button.hasPointerCapture && button.hasPointerCapture(event.pointerId))
      button.releasePointerCapture(event.pointerId);
    if (fingers[event.pointerId]) release(fingers[event.pointerId].dataset.key);
    fingers[event.pointerId] = button;
    press(button.dataset.key);
  });

  document.addEventListener('pointermove', function (event) {
    var held = fingers[event.pointerId];
    if (!isArrow(held)) return;
    var under = buttonAt(event.clientX, event.clientY);
    if (!isArrow(under) || under === held) return; // a finger off the pad keeps its arrow
    fingers[event.pointerId] = under;
    press(under.dataset.key);
    release(held.dataset.key);
  });

  function letGo(event) {
    var held = fingers[event.pointerId];
    if (!held) return;
    delete fingers[event.pointerId];
    release(held.dataset.key);
  }
  document.addEventListener('pointerup', letGo);
  document.addEventListener('pointercancel', letGo);

  // A long press would open the browser's menu over the controls.
  document.addEventListener('contextmenu', function (event) {
    if (event.target.closest && event.target.closest('.controls')) event.preventDefault();
  });

  return { press: press, release: release };
})();
