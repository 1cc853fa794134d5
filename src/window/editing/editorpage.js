// The entry editor's page script. It runs in its own script world beside the document: it
// switches the page to design mode, swaps in each document the program sends, reports the
// document and the command states to the program through the web channel, and carries out the
// program's editing commands.
(function () {
    'use strict';

    // Each document the program sends comes with its number; the program ignores reports of a
    // document it has since replaced.
    var generation = -1;

    // The key presses that type or delete text, counted as the program counts those it sends,
    // so that it can tell when the last one has arrived.
    var keys = 0;
    window.addEventListener('keydown', function (event) {
        var key = event.key;
        if (key === 'Backspace' || key === 'Delete' || key === 'Enter' ||
            (key.length === 1 && !event.ctrlKey && !event.metaKey))
            keys++;
    }, true);

    var COMMANDS = ['bold', 'italic', 'underline', 'insertOrderedList', 'insertUnorderedList',
                    'indent', 'outdent', 'justifyLeft', 'justifyCenter', 'justifyRight',
                    'foreColor', 'cut', 'copy', 'paste', 'selectAll', 'createLink', 'undo', 'redo',
                    'removeFormat'];

    // The status codes of the program: 0 not supported, 1 disabled, 3 enabled, 7 switched on.
    function status(name) {
        try {
            if (!document.queryCommandSupported(name))
                return 0;
            if (!document.queryCommandEnabled(name))
                return 1;
            return document.queryCommandState(name) ? 7 : 3;
        } catch (e) {
            return 0;
        }
    }

    function commandStates() {
        var states = {};
        COMMANDS.forEach(function (name) { states[name] = status(name); });
        // The selected text, and the link the selection is in.
        var selection = window.getSelection();
        states.selectionText = selection ? selection.toString() : '';
        var anchor = linkAtSelection();
        states.linkHref = anchor ? anchor.getAttribute('href') || '' : '';
        states.linkTarget = anchor ? anchor.getAttribute('target') || '' : '';
        states.linkText = anchor ? anchor.textContent : '';
        // The kind of block at the caret: "p", "h2", "blockquote", "pre", ...
        try {
            states.formatBlock = String(document.queryCommandValue('formatBlock') || '').toLowerCase();
        } catch (e) {
            states.formatBlock = '';
        }
        return states;
    }

    function linkAtSelection() {
        var selection = window.getSelection();
        var node = selection && selection.rangeCount > 0 ? selection.getRangeAt(0).startContainer : null;
        while (node && node !== document.body) {
            if (node.nodeType === 1 && node.tagName === 'A')
                return node;
            node = node.parentNode;
        }
        return null;
    }

    function selectionRange() {
        var selection = window.getSelection();
        if (selection.rangeCount > 0) {
            var range = selection.getRangeAt(0);
            if (document.body && document.body.contains(range.commonAncestorContainer))
                return range;
        }
        return null;
    }

    // A document that gains the focus without a caret gets one at the end of its text.
    function ensureCaret() {
        if (!document.body || selectionRange())
            return;
        var range = document.createRange();
        range.selectNodeContents(document.body);
        range.collapse(false);
        var selection = window.getSelection();
        selection.removeAllRanges();
        selection.addRange(range);
    }

    document.designMode = 'on';

    // The window's colours and the name a screen reader says for the text, kept out of the
    // document (a style sheet the page adopts, an attribute of the page's root element), so that
    // neither is ever stored with an entry.
    var colours = new CSSStyleSheet();
    document.adoptedStyleSheets = [colours];
    var name = '';
    function nameDocument() {
        if (name)
            document.documentElement.setAttribute('aria-label', name);
    }

    new QWebChannel(qt.webChannelTransport, function (channel) {
        var editor = channel.objects.editor;

        function headHtml() {
            return document.head ? document.head.innerHTML : '';
        }
        // A blank typed last (at the end of the body, or before a paste) is one the browser
        // keeps visible as a no-break space; the body keeps what was typed: a blank.
        function bodyHtml() {
            if (!document.body)
                return '';
            // What may follow the last text: closing tags, a line break, the program's style block.
            return document.body.innerHTML.replace(
                /&nbsp;((?:<\/[a-zA-Z0-9]+>|<br>|<style[^>]*>[\s\S]*?<\/style>)*)$/, ' $1');
        }

        // Tab in a list item indents it and Shift+Tab outdents it; anywhere else they leave the
        // body for the next or the previous control of the window, as in web editors.
        window.addEventListener('keydown', function (event) {
            if (event.key !== 'Tab' || event.ctrlKey || event.altKey || event.metaKey)
                return;
            event.preventDefault();
            var range = selectionRange();
            var node = range ? range.startContainer : null;
            while (node && node !== document.body && !(node.nodeType === 1 && node.tagName === 'LI'))
                node = node.parentNode;
            if (node && node !== document.body) {
                document.execCommand(event.shiftKey ? 'outdent' : 'indent', false, null);
                sendStates();
            } else {
                editor.leaveBody(event.shiftKey);
            }
        }, true);
        function sendDocument() {
            editor.reportDocument(generation, headHtml(), bodyHtml(), keys);
        }
        function sendStates() {
            editor.reportStates(generation, commandStates());
        }

        var observer = new MutationObserver(function () {
            sendDocument();
            sendStates();
        });
        observer.observe(document, { childList: true, subtree: true, characterData: true, attributes: true });
        document.addEventListener('selectionchange', sendStates);
        window.addEventListener('focus', function () {
            ensureCaret();
            sendStates();
        });

        window.feedsmithEditor = {
            exec: function (name, value) {
                if (name !== 'selectAll')
                    ensureCaret();
                document.execCommand(name, false, value === undefined ? null : value);
                sendStates();
            },
            // Makes the selection a link to url, or, with nothing selected, inserts text as one;
            // a link the selection is in gets the new address. Opens a new window when asked.
            link: function (url, text, newWindow) {
                ensureCaret();
                var anchor = linkAtSelection();
                var range = selectionRange();
                if (anchor) {
                    anchor.setAttribute('href', url);
                } else if (range && !range.collapsed) {
                    document.execCommand('createLink', false, url);
                    anchor = linkAtSelection();
                } else if (range) {
                    anchor = document.createElement('a');
                    anchor.setAttribute('href', url);
                    anchor.textContent = text || url;
                    range.insertNode(anchor);
                    range.setStartAfter(anchor);
                    range.collapse(true);
                    var selection = window.getSelection();
                    selection.removeAllRanges();
                    selection.addRange(range);
                }
                if (anchor) {
                    if (text && anchor.textContent !== text)
                        anchor.textContent = text;
                    if (newWindow)
                        anchor.setAttribute('target', '_blank');
                    else
                        anchor.removeAttribute('target');
                }
                sendStates();
            },
            unlink: function () {
                var anchor = linkAtSelection();
                if (anchor) {
                    var range = document.createRange();
                    range.selectNodeContents(anchor);
                    var selection = window.getSelection();
                    selection.removeAllRanges();
                    selection.addRange(range);
                }
                document.execCommand('unlink', false, null);
                sendStates();
            },
            // Inserts markup at the selection, replacing what is selected, as it is: nothing
            // is escaped, cleaned or restyled.
            insertHtml: function (html) {
                var range = selectionRange();
                if (!range) {
                    range = document.createRange();
                    range.selectNodeContents(document.body);
                    range.collapse(false);
                }
                range.deleteContents();
                // The blank typed just before is text again, now that text follows it.
                var before = range.startContainer;
                if (before.nodeType === 3 && range.startOffset > 0 &&
                    before.data.charAt(range.startOffset - 1) === '\u00a0')
                    before.replaceData(range.startOffset - 1, 1, ' ');
                var fragment = range.createContextualFragment(html);
                var last = fragment.lastChild;
                range.insertNode(fragment);
                if (last) {
                    range.setStartAfter(last);
                    range.collapse(true);
                }
                var selection = window.getSelection();
                selection.removeAllRanges();
                selection.addRange(range);
                sendStates();
            },
            states: commandStates,
            look: function (css, label) {
                colours.replaceSync(css);
                name = label;
                nameDocument();
                observer.takeRecords(); // no edit either
            },
            // Replaces the page's document by the markup, parsed as a page would be (nothing in
            // it runs), and reports it ready under its number, as the page writes it back: the
            // program counts only a change from that as an edit.
            load: function (number, html) {
                var parsed = new DOMParser().parseFromString(html, 'text/html');
                document.replaceChild(document.adoptNode(parsed.documentElement), document.documentElement);
                nameDocument();
                observer.takeRecords(); // the swap is no edit
                generation = number;
                window.getSelection().removeAllRanges();
                // A document loaded into an editor that has the focus gets its caret at once.
                if (document.hasFocus())
                    ensureCaret();
                editor.reportReady(generation, headHtml(), bodyHtml());
                sendStates();
            },
            // The document as it is now, with the number of key presses that have arrived.
            snapshot: function () {
                return {
                    generation: generation,
                    keys: keys,
                    head: headHtml(),
                    body: bodyHtml()
                };
            }
        };

        editor.reportLoaded();
    });
})();
