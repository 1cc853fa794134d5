<?xml version="1.0" encoding="UTF-8"?>
<settings>
	<title>Grüße aus Köln</title>
	<link>https://example.org/</link>
	<number>10</number>
	<ttl>1440</ttl>
</settings>
<ftpsettings>
	<ftpurl>ftp.example.org</ftpurl>
</ftpsettings>
<entries>
	<entry>
		<title>Pfeil &#8594; rechts</title>
		<link>https://example.org/1</link>
		<content>[[p]]Erster[:bst:] Eintrag mit Ümlaut[[/p]]</content>
		<date>06.12.2026 19:41:29</date>
	</entry>
	<entry>
		<title>Mitternacht</title>
		<date>07.12.2026</date>
	</entry>
</entries>
