// The page's settings panel: the game's keys and the sound, kept in the
// browser's storage as the lines of settings.ini, where the game reads them
// at the start of each game. Lines the panel does not show are kept as they
// are. A key is set by clicking its field and pressing the key; Escape
// always ends the game and cannot be given.
'use strict';

(function () {
  var STORE = 'tirlane.settings';
  var form = document.getElementById('settings-form');
  if (!form) return;
  var ACTIONS = [['up', 'Up', 'Up'], ['down', 'Down', 'Down'], ['left', 'Left', 'Left'],
                 ['right', 'Right', 'Right'], ['start', 'Start', 'Space']];

  function stored() {
    try { return localStorage.getItem(STORE) || ''; } catch (e) { return ''; }
  }
  function valueOf(text, name, fallback) {
    var lines = text.split('\n');
    for (var i = 0; i < lines.length; ++i) {
      var m = /^\s*([\w.]+)\s*=\s*(.*?)\s*$/.exec(lines[i]);
      if (m && m[1] === name) return m[2];
    }
    return fallback;
  }
  function store(name, value) {
    var lines = stored().split('\n').filter(function (l) { return l !== ''; });
    var done = false;
    lines = lines.map(function (l) {
      var m = /^\s*([\w.]+)\s*=/.exec(l);
      if (m && m[1] === name) { done = true; return name + ' = ' + value; }
      return l;
    });
    if (!done) lines.push(name + ' = ' + value);
    try { localStorage.setItem(STORE, lines.join('\n') + '\n'); } catch (e) { /* no storage */ }
  }
  // The browser's name for a key as SDL names it.
  function sdlName(event) {
    var byCode = { ArrowUp: 'Up', ArrowDown: 'Down', ArrowLeft: 'Left', ArrowRight: 'Right',
                   Space: 'Space', Enter: 'Return', ShiftLeft: 'Left Shift',
                   ShiftRight: 'Right Shift', ControlLeft: 'Left Ctrl', ControlRight: 'Right Ctrl',
                   Tab: 'Tab', Backspace: 'Backspace' };
    if (byCode[event.code]) return byCode[event.code];
    var m = /^(?:Key|Digit)(.)$/.exec(event.code);
    if (m) return m[1];
    if (/^F\d+$/.test(event.code)) return event.code;
    return null;
  }

  var text = stored();
  ACTIONS.forEach(function (a) {
    var label = document.createElement('label');
    label.textContent = a[1];
    var input = document.createElement('input');
    input.type = 'text';
    input.readOnly = true;
    input.id = 'settings-' + a[0];
    input.value = valueOf(text, a[0], a[2]);
    // The key goes to the field, never to the game behind it.
    input.addEventListener('keydown', function (event) {
      event.preventDefault();
      event.stopPropagation();
      var name = event.code === 'Escape' ? null : sdlName(event);
      if (!name) return;
      input.value = name;
      store(a[0], name);
    });
    label.htmlFor = input.id;
    form.appendChild(label);
    form.appendChild(input);
  });
  var muteLabel = document.createElement('label');
  muteLabel.textContent = 'Muted';
  var mute = document.createElement('input');
  mute.type = 'checkbox';
  mute.id = 'settings-muted';
  mute.checked = valueOf(text, 'muted', 'no') === 'yes';
  mute.addEventListener('change', function () { store('muted', mute.checked ? 'yes' : 'no'); });
  muteLabel.htmlFor = mute.id;
  form.appendChild(muteLabel);
  form.appendChild(mute);
  var note = document.createElement('p');
  note.textContent = 'Taken at the next game.';
  form.appendChild(note);
})();
