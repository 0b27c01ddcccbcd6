// The page around the game: lays out the canvas (and, on touch screens, the
// on-screen controls of touch.js beside it), keeps Space and the arrows from
// scrolling the page, starts the sound with the first gesture, pauses while
// the page is hidden and keeps the record when it is left, keeps the screen
// awake during play, shows the notice that the game has ended with its button
// to play again and its replay to download, plays replays (a file picked or
// dropped, or ?replay=URL), and runs the service worker that lets the page
// play offline.
'use strict';

var Module = (function () {
  var body = document.body;
  var canvas = document.getElementById('canvas');
  var help = document.getElementById('keys');
  var gate = document.getElementById('gate');
  var ended = document.getElementById('ended');
  var endedText = document.getElementById('ended-text');
  var again = document.getElementById('again');
  var download = document.getElementById('download');
  var fullscreen = document.getElementById('fullscreen');
  var KEYS_HELP = 'Space starts · arrows move · P pauses · M mutes · Escape ends the game · F11 full screen';
  var GAME_KEYS = ['Space', 'ArrowLeft', 'ArrowUp', 'ArrowRight', 'ArrowDown'];
  var REPLAY_FILE = '/tmp/play.replay';

  // The room the controls take: below the picture in portrait, a column on
  // either side in landscape; the help line's without them.
  var CONTROLS_HIGH = 176, CONTROLS_WIDE = 2 * 168, HELP_HIGH = 28;

  function touchShown() { return body.classList.contains('touch'); }

  // The largest picture that fits: a whole factor of the screen's own pixels
  // where that fills most of the room (every game pixel a whole square of
  // them), otherwise the exact fit, kept sharp by the canvas's pixelated scaling.
  function fit() {
    var style = getComputedStyle(body);
    var width = body.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight);
    var height = body.clientHeight - parseFloat(style.paddingTop) - parseFloat(style.paddingBottom);
    var portrait = height >= width;
    body.classList.toggle('portrait', portrait);
    body.classList.toggle('landscape', !portrait);
    if (touchShown()) {
      if (portrait) height -= CONTROLS_HIGH;
      else width -= CONTROLS_WIDE;
    } else {
      height -= HELP_HIGH;
    }
    var ratio = window.devicePixelRatio || 1;
    var scale = Math.max(0.1, Math.min(width / 640, height / 480));
    var factor = Math.floor(scale * ratio);
    if (factor >= 1 && factor >= 0.9 * scale * ratio) scale = factor / ratio;
    canvas.style.width = 640 * scale + 'px';
    canvas.style.height = 480 * scale + 'px';
  }
  window.addEventListener('resize', fit);

  // The controls show on touch screens, and go once a keyboard or gamepad is
  // used, until the next touch.
  function showTouch(on) {
    if (touchShown() === on) return;
    body.classList.toggle('touch', on);
    fit();
  }
  var touchScreen = navigator.maxTouchPoints > 0 || matchMedia('(pointer: coarse)').matches;
  body.classList.toggle('touch', touchScreen);
  fit();
  window.addEventListener('pointerdown', function (event) {
    if (event.pointerType === 'touch') showTouch(true);
  }, true);
  window.addEventListener('gamepadconnected', function () { showTouch(false); });

  window.addEventListener('keydown', function (event) {
    if (GAME_KEYS.indexOf(event.code) >= 0) event.preventDefault();
    if (event.isTrusted) {
      showTouch(false);
      gate.classList.remove('shown');
    }
  }, true);

  // Browsers start sound only after a gesture, iOS only from a real button.
  function startSound() {
    var sdl = Module.SDL2;
    if (sdl && sdl.audioContext && sdl.audioContext.state === 'suspended') {
      sdl.audioContext.resume();
    }
  }
  ['keydown', 'mousedown', 'touchstart', 'touchend', 'pointerup', 'click'].forEach(function (name) {
    window.addEventListener(name, startSound, true);
  });

  // On a touch screen the first screen is a button: it starts the sound and,
  // as Space, the game.
  if (touchScreen) gate.classList.add('shown');
  var gateButton = document.getElementById('play');
  gateButton.addEventListener('pointerdown', function (event) {
    event.preventDefault();
    startSound();
    TirlaneTouch.press('Space');
  });
  function openGate() {
    TirlaneTouch.release('Space');
    gate.classList.remove('shown');
    keepAwake();
  }
  gateButton.addEventListener('pointerup', openGate);
  gateButton.addEventListener('pointercancel', openGate);

  // Full screen where the browser has it.
  var root = document.documentElement;
  var requestFull = root.requestFullscreen || root.webkitRequestFullscreen;
  if (requestFull) {
    fullscreen.hidden = false;
    fullscreen.addEventListener('click', function () {
      var exit = document.exitFullscreen || document.webkitExitFullscreen;
      var result = document.fullscreenElement || document.webkitFullscreenElement
        ? exit.call(document) : requestFull.call(root);
      if (result && result.catch) result.catch(function () {});
    });
  }

  // The screen stays awake while a game is played, where the browser can.
  var lock = null, playing = false, paused = false;
  function keepAwake() {
    playing = true;
    if (lock || paused || document.hidden || !navigator.wakeLock) return;
    navigator.wakeLock.request('screen').then(function (sentinel) {
      lock = sentinel;
      sentinel.addEventListener('release', function () { if (lock === sentinel) lock = null; });
      if (!playing || paused) letSleep();
    }, function () {});
  }
  function letSleep() {
    if (lock) lock.release().catch(function () {});
    lock = null;
  }
  window.addEventListener('keydown', function () { if (!ended.classList.contains('shown')) keepAwake(); });

  // Hidden (another tab, the phone locked), the game pauses and the record
  // is kept; shown again, it plays on from where it was.
  document.addEventListener('visibilitychange', function () {
    if (Module._tirlanePageHidden) Module._tirlanePageHidden(document.hidden ? 1 : 0);
    if (!document.hidden && playing) keepAwake();
  });
  // Leaving the page keeps a record held at that moment.
  window.addEventListener('pagehide', function () {
    if (Module._tirlaneLeavePage) Module._tirlaneLeavePage();
  });

  again.addEventListener('click', function () {
    Module.tirlaneStartAgain = true;
  });

  // Replays: a file picked or dropped on the page, or ?replay=URL. The game
  // being played ends as Escape ends it, and the replay plays in its place.
  var replayWaiting = false;
  function playReplay(bytes) {
    try { Module.FS_unlink(REPLAY_FILE); } catch (error) { /* none yet */ }
    Module.FS_createDataFile('/tmp', 'play.replay', new Uint8Array(bytes), true, true);
    Module.tirlaneReplayRequest = REPLAY_FILE;
    if (ended.classList.contains('shown')) {
      Module.tirlaneStartAgain = true;
    } else {
      replayWaiting = true;
      TirlaneTouch.press('Escape');
      TirlaneTouch.release('Escape');
    }
  }
  function readReplayFile(file) {
    if (file) file.arrayBuffer().then(playReplay);
  }
  document.querySelectorAll('.replay-file').forEach(function (input) {
    input.addEventListener('change', function () {
      readReplayFile(input.files[0]);
      input.value = '';
    });
  });
  window.addEventListener('dragover', function (event) { event.preventDefault(); });
  window.addEventListener('drop', function (event) {
    event.preventDefault();
    if (event.dataTransfer.files.length) readReplayFile(event.dataTransfer.files[0]);
  });
  var replayUrl = new URLSearchParams(location.search).get('replay');

  var replayLink = null;
  var notice = document.getElementById('notice');
  document.getElementById('reload').addEventListener('click', function () { location.reload(); });
  if ('serviceWorker' in navigator && location.protocol !== 'file:') {
    navigator.serviceWorker.register('sw.js').then(function (registration) {
      registration.addEventListener('updatefound', function () {
        var worker = registration.installing;
        worker.addEventListener('statechange', function () {
          // A page already run by a worker has a newer build waiting.
          if (worker.state === 'installed' && navigator.serviceWorker.controller)
            notice.classList.add('shown');
        });
      });
    }, function () {});
  }

  return {
    canvas: canvas,
    tirlaneTest: window.tirlaneTest,
    tirlaneStartAgain: false,
    tirlaneReplayRequest: null,
    tirlanePresents: window.tirlaneTest && window.tirlaneTest.logPresents ? [] : null,
    tirlaneShowEnded: function (shown) {
      ended.classList.toggle('shown', shown);
      if (shown) {
        playing = false;
        letSleep();
        if (replayWaiting) {
          replayWaiting = false;
          Module.tirlaneStartAgain = true;
        }
        again.focus();
      } else {
        download.hidden = true;
        canvas.focus();
      }
    },
    tirlaneOfferReplay: function (text) {
      if (replayLink) URL.revokeObjectURL(replayLink);
      replayLink = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
      download.href = replayLink;
      download.hidden = false;
      endedText.textContent = 'The game has ended.';
    },
    tirlaneShowReplaying: function (on, error) {
      if (on) {
        help.textContent = 'Playing a replay · P pauses · M mutes · Escape stops it';
        keepAwake();
      } else {
        help.textContent = KEYS_HELP;
        endedText.textContent = error ? 'The replay went another way: ' + error : 'The replay has ended.';
      }
    },
    tirlaneShowPaused: function (on) {
      paused = on;
      if (on) letSleep();
      else if (playing) keepAwake();
    },
    preRun: [function () {
      if (!replayUrl) return;
      Module.addRunDependency('replay');
      fetch(replayUrl).then(function (response) {
        if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
        return response.arrayBuffer();
      }).then(function (bytes) {
        Module.FS_createDataFile('/tmp', 'play.replay', new Uint8Array(bytes), true, true);
        Module.tirlaneReplayRequest = REPLAY_FILE;
      }, function (error) {
        console.warn('tirlane: cannot fetch the replay ' + replayUrl + ': ' + error.message);
      }).finally(function () {
        Module.removeRunDependency('replay');
      });
    }],
    onRuntimeInitialized: function () {
      help.textContent = KEYS_HELP;
    },
    print: function (text) { console.log(text); },
    printErr: function (text) { console.error(text); },
  };
})();
